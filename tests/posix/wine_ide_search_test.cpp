// The IDEs of the user's Wine prefixes: found where each version's installer
// recorded it in the prefix's registry files, mapped back through the
// prefix's drives to the file as the disk spells it, else in the folders the
// installers suggest; and a prefix that blocks holds up nothing but itself.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

#include "launcher/IdeDiscovery.h"
#include "platform/posix/WineIdeSearch.h"
#include "tests/scripted/FakeSystem.h"
#include "tests/scripted/ScriptedSearch.h"

namespace pivora {
namespace {

using testing::PatienceUntilPlacesDone;

// A file system in memory: files, directories (every folder above a file,
// and those made on their own) and symbolic links. Any call on a path below
// `blocked` waits until Release(), as a dead network mount would.
class MemoryPrefixFiles final : public PrefixFiles {
public:
    void File(const std::string& path, std::string content = "MZ") {
        files_[path] = std::move(content);
        AddFolders(path);
    }
    void Folder(const std::string& path) {
        folders_.insert(path);
        AddFolders(path);
    }
    void Link(const std::string& path, std::string target) {
        links_[path] = std::move(target);
        AddFolders(path);
    }
    void BlockBelow(const std::string& dir) { blocked_ = dir + "/"; }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    std::vector<std::string> List(const std::string& dir) override {
        Pass(dir);
        std::set<std::string> names;
        const std::string below = dir == "/" ? "/" : dir + "/";
        auto add = [&](const std::string& path) {
            if (path.size() > below.size() && path.compare(0, below.size(), below) == 0 &&
                path.find('/', below.size()) == std::string::npos)
                names.insert(path.substr(below.size()));
        };
        for (const auto& [path, content] : files_) add(path);
        for (const std::string& path : folders_) add(path);
        for (const auto& [path, target] : links_) add(path);
        return {names.begin(), names.end()};
    }
    std::optional<std::string> Read(const std::string& path, std::size_t limit) override {
        Pass(path);
        const auto it = files_.find(path);
        if (it == files_.end() || it->second.size() > limit) return std::nullopt;
        return it->second;
    }
    std::string LinkTarget(const std::string& path) override {
        Pass(path);
        const auto it = links_.find(path);
        return it == links_.end() ? std::string() : it->second;
    }
    EntryKind Kind(const std::string& path) override {
        Pass(path);
        if (files_.count(path)) return EntryKind::File;
        if (folders_.count(path) || path == "/") return EntryKind::Directory;
        return EntryKind::Missing;
    }

private:
    void AddFolders(const std::string& path) {
        for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
            folders_.insert(path.substr(0, slash));
    }
    void Pass(const std::string& path) {
        if (blocked_.empty() || (path + "/").compare(0, blocked_.size(), blocked_) != 0) return;
        std::unique_lock lock(mutex_);
        // Bounded, so a search that waited for it fails its test rather than hangs it.
        changed_.wait_for(lock, std::chrono::seconds(60), [this] { return released_; });
    }

    // Written before the search starts, then only read.
    std::map<std::string, std::string> files_;
    std::set<std::string> folders_;
    std::map<std::string, std::string> links_;
    std::string blocked_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool released_ = false;
};

// A registry file with these keys: "key" -> {"name", "data written as Wine writes it"}.
std::string RegText(const std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>& keys) {
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n";
    for (const auto& [key, values] : keys) {
        text += "\n[" + key + "] 1733616000\n#time=1db4941b1e0c2f0\n";
        for (const auto& [name, data] : values) text += "\"" + name + "\"=" + data + "\n";
    }
    return text;
}

// A prefix as Wine makes it: its drive links, C: relative, Z: the root.
void FreshPrefix(MemoryPrefixFiles& files, const std::string& prefix) {
    files.Folder(prefix + "/drive_c/windows");
    files.Link(prefix + "/dosdevices/c:", "../drive_c");
    files.Link(prefix + "/dosdevices/z:", "/");
    files.Link(prefix + "/dosdevices/c::", "/dev/sda1");  // a device, no drive
}

class WineIdeSearchTest : public ::testing::Test {
protected:
    std::shared_ptr<MemoryPrefixFiles> files = std::make_shared<MemoryPrefixFiles>();

    std::map<std::int32_t, std::string> LookIn(const std::string& place, WinePrefixPlaces places = {}) {
        if (places.prefixes.empty() && places.containers.empty()) places.prefixes = {place};
        WineIdeSearch search(places, files);
        std::map<std::int32_t, std::string> found;
        for (const InstalledIde& ide : search.LookIn(place)) {
            EXPECT_FALSE(found.count(ide.version)) << "version " << ide.version << " found twice";
            found.emplace(ide.version, ide.executable);
        }
        return found;
    }
};

TEST_F(WineIdeSearchTest, EachVersionsKeysInA64BitPrefixLeadToTheFileAsTheDiskSpellsIt) {
    const std::string p = "/home/me/.wine";
    FreshPrefix(*files, p);
    files->Link(p + "/dosdevices/d:", "/mnt/tools/");
    files->File(p + "/drive_c/Program Files (x86)/Borland/Delphi 2.0/Bin/Delphi32.exe");
    files->File(p + "/drive_c/Program Files (x86)/Borland/Delphi 3/BIN/DELPHI32.EXE");
    files->File("/mnt/tools/D4/bin/delphi32.exe");
    files->File(p + "/system.reg",
                RegText({{R"(Software\\Wow6432Node\\Borland\\Delphi\\2.0)",
                          {{"Delphi 2.0", R"("C:\\Program Files (x86)\\Borland\\Delphi 2.0\\Bin\\DELPHI32.EXE")"}}},
                         // Only the folder: its Bin\DELPHI32.EXE.
                         {R"(Software\\Wow6432Node\\Borland\\Delphi\\3.0)",
                          {{"RootDir", R"("C:\\Program Files (x86)\\Borland\\Delphi 3")"}}},
                         {R"(Software\\Wow6432Node\\Borland\\Delphi\\4.0)",
                          {{"Delphi 4", R"("d:\\d4\\BIN\\Delphi32.EXE")"}}}}));
    const std::map<std::int32_t, std::string> expected{
        {2, p + "/drive_c/Program Files (x86)/Borland/Delphi 2.0/Bin/Delphi32.exe"},
        {3, p + "/drive_c/Program Files (x86)/Borland/Delphi 3/BIN/DELPHI32.EXE"},
        {4, "/mnt/tools/D4/bin/delphi32.exe"},
    };
    EXPECT_EQ(LookIn(p), expected);
}

TEST_F(WineIdeSearchTest, A32BitPrefixKeepsItsKeysInPlaceAndTheUsersKeysCountToo) {
    const std::string p = "/home/me/old prefix";
    FreshPrefix(*files, p);
    files->File(p + "/drive_c/Borland/Delphi 3/Bin/DELPHI32.EXE");
    files->File(p + "/drive_c/Tools/D2/Bin/DELPHI32.EXE");
    files->File(p + "/system.reg",
                RegText({{R"(Software\\Borland\\Delphi\\3.0)", {{"Delphi 3", R"("C:\\Borland\\Delphi 3\\Bin\\DELPHI32.EXE")"}}}}));
    files->File(p + "/user.reg",
                RegText({{R"(Software\\Borland\\Delphi\\2.0)", {{"RootDir", R"(str(2):"C:\\Tools\\D2")"}}}}));
    const std::map<std::int32_t, std::string> expected{
        {2, p + "/drive_c/Tools/D2/Bin/DELPHI32.EXE"},
        {3, p + "/drive_c/Borland/Delphi 3/Bin/DELPHI32.EXE"},
    };
    EXPECT_EQ(LookIn(p), expected);
}

TEST_F(WineIdeSearchTest, WithoutTheRegistrysWordTheFolderTellsTheVersion) {
    const std::string p = "/home/me/.wine";
    // No registry files, no drive links: C: is drive_c all the same.
    files->File(p + "/drive_c/Program Files/Borland/Delphi 2.0/Bin/DELPHI32.EXE");
    files->File(p + "/drive_c/program files (x86)/BORLAND/Delphi4/bin/delphi32.exe");
    files->File(p + "/drive_c/Program Files/Borland/Delphi/Bin/DELPHI32.EXE");     // which version?
    files->File(p + "/drive_c/Program Files/Borland/Delphi 7/Bin/DELPHI32.EXE");   // not one of ours
    files->File(p + "/drive_c/Program Files/Borland/Delphi 3/Bin/DELPHI32.EXE.bak");
    files->Folder(p + "/drive_c/Program Files/Borland/Delphi 3/Bin/DELPHI32.EXE.dir");
    files->File(p + "/drive_c/Borland/Delphi 3/Bin/DELPHI32.EXE");  // not under Program Files
    const std::map<std::int32_t, std::string> expected{
        {2, p + "/drive_c/Program Files/Borland/Delphi 2.0/Bin/DELPHI32.EXE"},
        {4, p + "/drive_c/program files (x86)/BORLAND/Delphi4/bin/delphi32.exe"},
    };
    EXPECT_EQ(LookIn(p), expected);
}

TEST_F(WineIdeSearchTest, TheRegistryComesFirstAndAStaleEntryGivesWayToTheFolder) {
    const std::string p = "/p";
    FreshPrefix(*files, p);
    files->File(p + "/drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE");
    files->File(p + "/drive_c/Other/D4/DELPHI32.EXE");
    files->File(p + "/drive_c/Program Files/Borland/Delphi 3/Bin/DELPHI32.EXE");
    files->File(p + "/system.reg",
                RegText({{R"(Software\\Wow6432Node\\Borland\\Delphi\\4.0)", {{"Delphi 4", R"("C:\\Other\\D4\\DELPHI32.EXE")"}}},
                         {R"(Software\\Wow6432Node\\Borland\\Delphi\\3.0)",
                          {{"Delphi 3", R"("C:\\Removed\\Delphi 3\\Bin\\DELPHI32.EXE")"}}}}));
    const std::map<std::int32_t, std::string> expected{
        {3, p + "/drive_c/Program Files/Borland/Delphi 3/Bin/DELPHI32.EXE"},
        {4, p + "/drive_c/Other/D4/DELPHI32.EXE"},
    };
    EXPECT_EQ(LookIn(p), expected);
}

TEST_F(WineIdeSearchTest, WithoutItsDriveLinksCIsStillThePrefixsDriveC) {
    const std::string p = "/copied/prefix";  // copied without its links, say
    files->File(p + "/drive_c/Borland/Delphi 3/Bin/DELPHI32.EXE");
    files->File(p + "/system.reg",
                RegText({{R"(Software\\Borland\\Delphi\\3.0)", {{"Delphi 3", R"("C:\\Borland\\Delphi 3\\Bin\\DELPHI32.EXE")"}}},
                         {R"(Software\\Borland\\Delphi\\4.0)", {{"Delphi 4", R"("D:\\Delphi4\\Bin\\DELPHI32.EXE")"}}}}));
    EXPECT_EQ(LookIn(p), (std::map<std::int32_t, std::string>{{3, p + "/drive_c/Borland/Delphi 3/Bin/DELPHI32.EXE"}}));
}

TEST_F(WineIdeSearchTest, AppPathsNamesAnIdeWhoseFolderTellsItsVersion) {
    const std::string p = "/p";
    FreshPrefix(*files, p);
    files->File(p + "/drive_c/Borland/Delphi 3/Bin/DELPHI32.EXE");
    files->File(p + "/system.reg",
                RegText({{R"(Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\DELPHI32.EXE)", {}}}) +
                    "@=\"C:\\\\Borland\\\\Delphi 3\\\\Bin\\\\DELPHI32.EXE\"\n");
    EXPECT_EQ(LookIn(p), (std::map<std::int32_t, std::string>{{3, p + "/drive_c/Borland/Delphi 3/Bin/DELPHI32.EXE"}}));
}

TEST_F(WineIdeSearchTest, AFrontEndsFolderHoldsPrefixesLookedInByName) {
    const std::string bottles = "/home/me/.local/share/bottles/bottles";
    files->File(bottles + "/b-second/drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE");
    files->File(bottles + "/b-second/drive_c/Program Files/Borland/Delphi 3/Bin/DELPHI32.EXE");
    files->File(bottles + "/a-first/drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE");
    files->File(bottles + "/not a prefix.txt");
    WinePrefixPlaces places;
    places.containers = {bottles};
    const std::map<std::int32_t, std::string> expected{
        {3, bottles + "/b-second/drive_c/Program Files/Borland/Delphi 3/Bin/DELPHI32.EXE"},
        {4, bottles + "/a-first/drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE"},
    };
    EXPECT_EQ(LookIn(bottles, places), expected);
}

TEST_F(WineIdeSearchTest, APlaceThatIsNoPrefixHoldsNothing) {
    files->File("/home/me/.wine");  // a file where the prefix would be
    EXPECT_TRUE(LookIn("/home/me/.wine").empty());
    EXPECT_TRUE(LookIn("/nowhere").empty());
}

TEST(WinePrefixPlaces, TheEnvironmentsPrefixThenTheDefaultThenTheFrontEnds) {
    const WinePrefixPlaces places = WinePrefixPlacesFor("/srv/wine/", "/home/me", std::nullopt);
    EXPECT_EQ(places.prefixes, (std::vector<std::string>{"/srv/wine", "/home/me/.wine"}));
    EXPECT_EQ(places.containers, (std::vector<std::string>{"/home/me/.local/share/bottles/bottles",
                                                           "/home/me/.var/app/com.usebottles.bottles/data/bottles/bottles",
                                                           "/home/me/.PlayOnLinux/wineprefix", "/home/me/.cxoffice"}));
    // XDG_DATA_HOME moves Bottles' folder; WINEPREFIX naming the default is one place.
    const WinePrefixPlaces moved = WinePrefixPlacesFor("/home/me/.wine", "/home/me/", "/data");
    EXPECT_EQ(moved.prefixes, (std::vector<std::string>{"/home/me/.wine"}));
    EXPECT_EQ(moved.containers.front(), "/data/bottles/bottles");
}

TEST(WinePrefixPlaces, UnsetEmptyOrRelativeValuesNameNoPlace) {
    const WinePrefixPlaces none = WinePrefixPlacesFor(std::nullopt, std::nullopt, std::nullopt);
    EXPECT_TRUE(none.prefixes.empty());
    EXPECT_TRUE(none.containers.empty());
    const WinePrefixPlaces odd = WinePrefixPlacesFor("", "relative/home", "also/relative");
    EXPECT_TRUE(odd.prefixes.empty());
    EXPECT_TRUE(odd.containers.empty());
    const WinePrefixPlaces root = WinePrefixPlacesFor(std::nullopt, "/", std::nullopt);
    EXPECT_EQ(root.prefixes, (std::vector<std::string>{"/.wine"}));
}

// A prefix on a dead network mount: its look blocks in the file system, the
// dialog's wait ends all the same (here the deadline is the event "every
// other place has been looked in"), and it shows what the others hold.
TEST(WineIdeDiscovery, APrefixThatBlocksHoldsUpNothingButItself) {
    auto files = std::make_shared<MemoryPrefixFiles>();
    files->File("/dead/.wine/drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE");
    files->File("/home/me/.wine/drive_c/Program Files/Borland/Delphi 3/Bin/DELPHI32.EXE");
    files->BlockBelow("/dead");
    struct ReleaseAtEnd {
        MemoryPrefixFiles& files;
        ~ReleaseAtEnd() { files.Release(); }
    } release{*files};
    FakeSystem sys;
    sys.ideSearch = std::make_shared<WineIdeSearch>(WinePrefixPlacesFor("/dead/.wine", "/home/me", std::nullopt), files);
    TIdeDiscovery discovery;
    // The dead prefix and the home one, then the four front ends' folders.
    auto patience = std::make_unique<PatienceUntilPlacesDone>(5);
    PatienceUntilPlacesDone& waited = *patience;
    discovery.SetPatience(std::move(patience));
    const auto found = discovery.Found(sys);
    EXPECT_FALSE(waited.ranOutOfTime);
    EXPECT_EQ(found, (std::map<std::int32_t, std::string>{
                         {3, "/home/me/.wine/drive_c/Program Files/Borland/Delphi 3/Bin/DELPHI32.EXE"}}));
}

// The real file system: what stands where a registry file belongs is read
// only when it is a file, and not waited on when it is a FIFO.
TEST(PosixPrefixFiles, ReadsFilesOnlyAndWithinTheirLimit) {
    char pattern[] = "/tmp/pivora-prefix-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    PosixPrefixFiles files;
    ASSERT_EQ(::mkfifo((dir + "/system.reg").c_str(), 0600), 0);
    FILE* f = std::fopen((dir + "/user.reg").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("WINE REGISTRY Version 2\n", f);
    std::fclose(f);
    EXPECT_EQ(files.Read(dir + "/system.reg", kRegistryFileLimit), std::nullopt);
    EXPECT_EQ(files.Kind(dir + "/system.reg"), EntryKind::Other);
    EXPECT_EQ(files.Read(dir + "/user.reg", 100), "WINE REGISTRY Version 2\n");
    EXPECT_EQ(files.Read(dir + "/user.reg", 10), std::nullopt);
    EXPECT_EQ(files.Read(dir, 100), std::nullopt);
    EXPECT_EQ(files.Kind(dir), EntryKind::Directory);
    EXPECT_EQ(files.Kind(dir + "/missing"), EntryKind::Missing);
    std::vector<std::string> names = files.List(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"system.reg", "user.reg"}));
    ASSERT_EQ(::symlink("../drive_c", (dir + "/c:").c_str()), 0);
    EXPECT_EQ(files.LinkTarget(dir + "/c:"), "../drive_c");
    EXPECT_EQ(files.LinkTarget(dir + "/user.reg"), "");
    for (const char* name : {"/system.reg", "/user.reg", "/c:"}) ::unlink((dir + name).c_str());
    ::rmdir(dir.c_str());
}

}  // namespace
}  // namespace pivora
