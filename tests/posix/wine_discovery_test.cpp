// The IDEs of Wine prefixes that Wine itself made: keys written by Wine's own
// `reg add` into the 32-bit view, as a Delphi installer writes them, and a
// prefix of a front end that holds only the installation folder. The
// registration dialog (on the scripted GUI) offers each, through the real
// search of the real disk, and registers nothing until OK. Skipped where no
// Wine runs.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "FlowHarness.h"
#include "platform/posix/PosixSystem.h"
#include "tests/scripted/ScriptedSearch.h"

namespace pivora::testing {
namespace {

namespace fs = std::filesystem;

// The first Wine loader that runs here: the 64-bit one where the kernel runs
// no 32-bit code (`wine` then fails), else whichever answers.
std::string WineLoader() {
    for (const char* loader : {"/usr/lib/wine/wine64", "wine64", "wine"})
        if (std::system((std::string(loader) + " --version >/dev/null 2>&1").c_str()) == 0) return loader;
    return {};
}

// A value for a shell command line, in single quotes.
std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Sets an environment variable for the life of the object, then puts back what was.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "MZ";
}

class WinePrefixDiscovery : public ::testing::Test {
protected:
    fs::path dir;
    std::string loader;

    void SetUp() override {
        loader = WineLoader();
        if (loader.empty()) GTEST_SKIP() << "no Wine runs here";
        std::string pattern = (fs::temp_directory_path() / "pivora-wine-discovery-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        if (dir.empty()) return;
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    // Runs Wine's `reg add` in `prefix` as a 32-bit installer would write.
    void RegAdd(const fs::path& prefix, const std::string& key, const std::string& name, const std::string& data) {
        const std::string command = "WINEPREFIX=" + Quoted(prefix.string()) + " WINELOADER=" + Quoted(loader) +
                                    " WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= " + loader + " reg add " +
                                    Quoted(key) + " /v " + Quoted(name) + " /t REG_SZ /d " + Quoted(data) +
                                    " /reg:32 /f >/dev/null 2>&1 </dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // Waits until the prefix's server has ended, which saves its registry to the files.
    void Saved(const fs::path& prefix) {
        const std::string command = "WINEPREFIX=" + Quoted(prefix.string()) + " wineserver -w </dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        ASSERT_TRUE(fs::exists(prefix / "system.reg"));
    }

    // Opens the registration dialog from the menu once for each action, with
    // the search the launcher's system makes of this environment. The
    // dialog waits until every place is done, however long that takes.
    void OpenDialog(FlowHarness& h, std::vector<ScriptedGui::Action> showings) {
        h.sys.ideSearch = PosixSystem(0, nullptr).IdeSearch();
        h.beforeRun = [](TProgram& program) {
            program.DelphiRegDlg.Discovery().SetPatience(std::make_unique<PatienceUntilPlacesDone>(100));
        };
        for (auto& a : showings) {
            h.gui.OnModal("DelphiRegDlg", std::move(a));
            h.gui.OnMainWindow([](Window& w) { w.ChooseMenu("Delphi1"); });
        }
        h.Run();
    }
};

std::vector<std::string> Cues(ScriptedGui& gui, Window& dlg) {
    return {gui.ShownCue(dlg, "Delphi2Ed"), gui.ShownCue(dlg, "Delphi3Ed"), gui.ShownCue(dlg, "Delphi4Ed")};
}

TEST_F(WinePrefixDiscovery, TheDialogOffersWhatWineRecordedAndWhatAFrontEndsFolderHolds) {
    const fs::path prefix = dir / "wine prefix";
    const fs::path driveC = prefix / "drive_c";
    RegAdd(prefix, R"(HKLM\Software\Borland\Delphi\2.0)", "Delphi 2.0",
           R"(C:\Program Files\Borland\Delphi 2.0\Bin\DELPHI32.EXE)");
    RegAdd(prefix, R"(HKLM\Software\Borland\Delphi\3.0)", "RootDir", R"(C:\Program Files\Borland\Delphi 3)");
    RegAdd(prefix, R"(HKCU\Software\Borland\Delphi\4.0)", "Delphi 4", R"(C:\Borland\デルフィ4\BIN\DELPHI32.EXE)");
    Saved(prefix);
    Touch(driveC / "Program Files/Borland/Delphi 2.0/Bin/DELPHI32.EXE");
    Touch(driveC / "Program Files/Borland/Delphi 3/Bin/DELPHI32.EXE");
    Touch(driveC / "Borland/デルフィ4/Bin/delphi32.exe");  // the disk's own case
    // A front end's prefix with nothing but the folder its installer made.
    const fs::path home = dir / "home";
    const fs::path bottle = home / ".local/share/bottles/bottles/Delphi";
    Touch(bottle / "drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE");
    const ScopedEnv homeEnv("HOME", home.string());
    const ScopedEnv dataEnv("XDG_DATA_HOME", std::nullopt);

    {
        // WINEPREFIX names the prefix Wine made: it comes before the front end's.
        const ScopedEnv prefixEnv("WINEPREFIX", prefix.string());
        FlowHarness h;
        // The launcher's own files are in memory; the registration checks there.
        h.files.files[(driveC / "Borland/デルフィ4/Bin/delphi32.exe").string()] = "MZ";
        OpenDialog(h, {[&](Window& dlg) {
                           EXPECT_EQ(Cues(h.gui, dlg),
                                     (std::vector<std::string>{
                                         (driveC / "Program Files/Borland/Delphi 2.0/Bin/DELPHI32.EXE").string(),
                                         (driveC / "Program Files/Borland/Delphi 3/Bin/DELPHI32.EXE").string(),
                                         (driveC / "Borland/デルフィ4/Bin/delphi32.exe").string()}));
                           dlg.Click("Found2Btn");
                           dlg.Click("Found3Btn");
                           dlg.Click("Found4Btn");
                           dlg.Click("CancelBtn");
                       },
                       [&](Window& dlg) {
                           EXPECT_EQ(dlg.Text("Delphi4Ed"), "");
                           dlg.Click("Found4Btn");
                           dlg.Click("OKBtn");
                       }});
        EXPECT_EQ(h.Main().Settings.RegisteredPaths[2], "");
        EXPECT_EQ(h.Main().Settings.RegisteredPaths[3], "");
        EXPECT_EQ(h.Main().Settings.RegisteredPaths[4], (driveC / "Borland/デルフィ4/Bin/delphi32.exe").string());
    }
    {
        // Without it, the front end's prefix is what there is.
        const ScopedEnv prefixEnv("WINEPREFIX", std::nullopt);
        FlowHarness h;
        OpenDialog(h, {[&](Window& dlg) {
            EXPECT_EQ(Cues(h.gui, dlg),
                      (std::vector<std::string>{
                          "", "", (bottle / "drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE").string()}));
            dlg.Click("CancelBtn");
        }});
        EXPECT_EQ(h.files.writes, 0);
    }
}

}  // namespace
}  // namespace pivora::testing
