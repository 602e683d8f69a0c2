#include "launcher/FileLocations.h"

#include <optional>

#include "launcher/HistoryFile.h"
#include "launcher/Settings.h"
#include "platform/formats/FileNames.h"
#include "platform/interface/FileSystem.h"
#include "platform/interface/System.h"

namespace pivora {

namespace {

// The XDG base directories ignore a variable that is empty or relative.
std::optional<std::string> AbsoluteDirectory(const std::string& value) {
    if (value.empty() || value.front() != '/') return std::nullopt;
    std::string dir = value;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (dir != "/") dir += '/';
    return dir;
}

std::string NowhereToGo(const std::string& exeDir, const std::string& what) {
    return "設定と起動履歴を置く場所がありません。\n[" + exeDir + "] には書き込めず、" + what;
}

// XDG_CONFIG_HOME or XDG_STATE_HOME, else its place under HOME.
std::string XdgHome(System& sys, const char* variable, const char* underHome, const std::string& exeDir) {
    if (auto dir = AbsoluteDirectory(sys.Environment(variable).value_or(""))) return *dir;
    const auto home = AbsoluteDirectory(sys.Environment("HOME").value_or(""));
    if (!home)
        throw FileError(NowhereToGo(sys.ToUiText(exeDir), std::string("環境変数 HOME も ") + variable + " も設定されていません。"));
    return *home + underHome;
}

// The first pivora/pivora.ini of the XDG_CONFIG_DIRS, in their order.
std::string XdgSystemSettings(System& sys, FileSystem& files) {
    std::string dirs = sys.Environment("XDG_CONFIG_DIRS").value_or("");
    if (dirs.empty()) dirs = "/etc/xdg";
    for (std::size_t start = 0; start <= dirs.size();) {
        std::size_t colon = dirs.find(':', start);
        if (colon == std::string::npos) colon = dirs.size();
        if (auto dir = AbsoluteDirectory(dirs.substr(start, colon - start))) {
            const std::string path = *dir + "pivora/pivora.ini";
            if (files.FileExists(path)) return path;
        }
        start = colon + 1;
    }
    return {};
}

}  // namespace

TFileLocations DecideFileLocations(System& sys, FileSystem& files) {
    const std::string exe = sys.ExePath();
    const std::string exeDir = ExtractFilePath(exe);
    TFileLocations where;
    where.Settings = SettingsFileName(exe);
    where.History = HistoryFileName(exe);
    if (files.CanReplaceFilesIn(exeDir)) return where;

    // Installed where its user may not write: the settings beside it are an
    // administrator's, to start the user's own from.
    const std::string besideExe = where.Settings;
    where.Portable = false;
    std::string defaults;
    if (sys.UserFiles() == UserFileConvention::AppData) {
        const std::string appData = sys.Environment("APPDATA").value_or("");
        if (appData.empty() || !IsAbsolutePath(appData))
            throw FileError(NowhereToGo(sys.ToUiText(exeDir), "環境変数 APPDATA が設定されていません。"));
        const std::string dir =
            appData + (appData.back() == '\\' || appData.back() == '/' ? "" : "\\") + "Pivora\\";
        files.CreateDirectories(dir);
        where.Settings = dir + "Pivora.ini";
        where.History = dir + "Pivora.dat";
    } else {
        const std::string configDir = XdgHome(sys, "XDG_CONFIG_HOME", ".config/", exeDir) + "pivora/";
        const std::string stateDir = XdgHome(sys, "XDG_STATE_HOME", ".local/state/", exeDir) + "pivora/";
        files.CreateDirectories(configDir);
        files.CreateDirectories(stateDir);
        where.Settings = configDir + "pivora.ini";
        where.History = stateDir + "pivora.dat";
        if (!files.FileExists(where.Settings)) defaults = XdgSystemSettings(sys, files);
    }
    if (defaults.empty() && !files.FileExists(where.Settings) && files.FileExists(besideExe)) defaults = besideExe;
    where.Defaults = defaults;
    return where;
}

}  // namespace pivora
