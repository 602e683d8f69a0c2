// The launcher uses only the window module of its own build, looked for beside
// it and in its install's lib/pivora/, and goes on without windows otherwise.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/interface/WindowModule.h"
#include "platform/posix/LazyGui.h"

namespace pivora {
namespace {

namespace fs = std::filesystem;

class WindowModule : public ::testing::Test {
protected:
    fs::path root;
    std::string savedDisplay;
    bool hadDisplay = false;

    void SetUp() override {
        char pattern[] = "/tmp/pivora-module-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
        // A display that names no server: the module is loaded, never shown.
        if (const char* d = std::getenv("DISPLAY")) hadDisplay = true, savedDisplay = d;
        ::setenv("DISPLAY", ":pivora-no-such-display", 1);
    }
    void TearDown() override {
        if (hadDisplay) ::setenv("DISPLAY", savedDisplay.c_str(), 1);
        else ::unsetenv("DISPLAY");
        fs::remove_all(root);
    }
    void Put(const char* module, const fs::path& where) {
        fs::create_directories(where.parent_path());
        fs::copy_file(module, where);
    }
    // What the launcher at `exe` says while it looks for windows and then
    // shows a message.
    std::string Run(const fs::path& exe) {
        LazyGui gui(exe.string());
        ::testing::internal::CaptureStderr();
        const bool windows = gui.CanShowWindows();
        gui.MessageBox(MsgType::Error, MsgButtons::Ok, "still told");
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_FALSE(windows);
        EXPECT_NE(said.find("still told"), std::string::npos) << said;
        EXPECT_EQ(said.find("foreign window module entered"), std::string::npos) << said;
        return said;
    }
};

TEST_F(WindowModule, AModuleOfAnotherBuildBesideTheLauncherIsRefusedWithItsReason) {
    Put(PIVORA_FOREIGN_MODULE, root / "pivora-fltk.so");
    const std::string said = Run(root / "pivora");
    EXPECT_NE(said.find("pivora: the window module " + (root / "pivora-fltk.so").string() +
                        " is not used: it belongs to another build (another-build, this launcher "),
              std::string::npos)
        << said;
}

TEST_F(WindowModule, TheInstallsLibDirectoryIsLookedInAndHeldToTheSameRule) {
    Put(PIVORA_FOREIGN_MODULE, root / "lib/pivora/pivora-fltk.so");
    const std::string said = Run(root / "bin/pivora");
    EXPECT_NE(said.find((root / "lib/pivora/pivora-fltk.so").string() + " is not used: it belongs to another build"),
              std::string::npos)
        << said;
}

TEST_F(WindowModule, AModuleOfThisBuildThatSpeaksAnotherInterfaceIsRefused) {
    Put(PIVORA_OLD_MODULE, root / "pivora-fltk.so");
    const std::string said = Run(root / "pivora");
    EXPECT_NE(said.find("is not used: it speaks interface 0, this launcher " + std::to_string(kWindowModuleInterface)),
              std::string::npos)
        << said;
}

TEST_F(WindowModule, NoModuleIsLookedForWhereTheLauncherWasBuilt) {
    // The build directory holds a good module; a launcher elsewhere must not find it.
    const std::string said = Run(root / "bin/pivora");
    EXPECT_NE(said.find("pivora: the window module pivora-fltk.so cannot be loaded: " + root.string() +
                        "/bin/pivora-fltk.so"),
              std::string::npos)
        << said;
}

}  // namespace
}  // namespace pivora
