#include "launcher/Settings.h"

#include <stdexcept>

#include "platform/formats/FileNames.h"
#include "platform/formats/IniFile.h"
#include "platform/interface/FileSystem.h"

namespace pivora {

namespace {
constexpr const char* kPivora = "Pivora";
constexpr const char* kDelphiReg = "DelphiReg";
}  // namespace

const std::string& TRegisteredPaths::operator[](std::int32_t version) const {
    static const std::string none;
    return Registrable(version) ? paths_[static_cast<std::size_t>(version - kFirst)] : none;
}

void TRegisteredPaths::Set(std::int32_t version, std::string path) {
    if (!Registrable(version)) throw std::out_of_range("no registered path for version " + std::to_string(version));
    paths_[static_cast<std::size_t>(version - kFirst)] = std::move(path);
}

std::string SettingsFileName(const std::string& exePath) { return ChangeFileExt(exePath, ".ini"); }

TSettings LoadSettings(FileSystem& files, const std::string& iniPath) {
    const TIniFile ini(files, iniPath);
    TSettings s;
    s.TestMode = ini.ReadBool(kPivora, "TestMode", false);
    s.HistoryMax = ini.ReadInteger(kPivora, "HistoryMax", kDefaultHistoryMax);
    if (s.HistoryMax < 0) s.HistoryMax = kDefaultHistoryMax;
    for (int n = TRegisteredPaths::kFirst; n <= TRegisteredPaths::kLast; ++n)
        s.RegisteredPaths.Set(n, ini.ReadString(kDelphiReg, std::to_string(n), ""));
    return s;
}

void SaveSettings(FileSystem& files, const std::string& iniPath, const TSettings& s, const std::string& startFrom) {
    TIniFile ini(files, iniPath);
    // Keys of the administrator's that the launcher does not know are kept too.
    if (!startFrom.empty() && !files.FileExists(iniPath) && !files.NonFileAt(iniPath) && files.FileExists(startFrom))
        ini.Document() = IniDocument::Parse(files.ReadFile(startFrom));
    ini.WriteBool(kPivora, "TestMode", s.TestMode);
    ini.WriteInteger(kPivora, "HistoryMax", s.HistoryMax);
    for (int n = TRegisteredPaths::kFirst; n <= TRegisteredPaths::kLast; ++n)
        ini.WriteString(kDelphiReg, std::to_string(n), s.RegisteredPaths[n]);
    ini.UpdateFile();
}

}  // namespace pivora
