// Where the installers of Delphi 2, 3 and 4 record an installation: the
// order in which the registry's answers are tried, and the versions that
// folder names tell.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "platform/formats/DelphiInstalls.h"

namespace pivora {
namespace {

using Values = std::map<std::tuple<RegistryRoot, std::string, std::string>, std::string>;

RegistryStringReader ReaderOf(const Values& values) {
    return [values](RegistryRoot root, const std::string& key, const std::string& name) -> std::optional<std::string> {
        const auto it = values.find({root, key, name});
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}

constexpr auto LM = RegistryRoot::LocalMachine;
constexpr auto CU = RegistryRoot::CurrentUser;

TEST(DelphiInstalls, TheRegistryIsTriedVersionByVersionMachineFirstExecutableBeforeFolder) {
    const Values values{
        {{CU, "Software\\Borland\\Delphi\\4.0", "Delphi 4"}, "C:\\user\\d4.exe"},
        {{LM, "Software\\Borland\\Delphi\\4.0", "RootDir"}, "C:\\Borland\\Delphi4\\"},
        {{LM, "Software\\Borland\\Delphi\\4.0", "Delphi 4"}, "\"C:\\Borland\\Delphi4\\Bin\\delphi32.exe\""},
        {{LM, "Software\\Borland\\Delphi\\2.0", "Delphi 2.0"}, "  C:\\D2\\BIN\\DELPHI32.EXE "},
        {{CU, "Software\\Borland\\Delphi\\3.0", "RootDir"}, "C:\\Program Files\\Borland\\Delphi 3"},
        {{LM, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\DELPHI32.EXE", ""},
         "C:\\Program Files\\Borland\\Delphi 3\\Bin\\DELPHI32.EXE"},
    };
    const std::vector<IdeCandidate> found = DelphiExecutablesInRegistry(ReaderOf(values));
    std::vector<std::pair<std::int32_t, std::string>> got;
    for (const IdeCandidate& c : found) got.emplace_back(c.version, c.windowsPath);
    const std::vector<std::pair<std::int32_t, std::string>> expected{
        {2, "C:\\D2\\BIN\\DELPHI32.EXE"},
        {3, "C:\\Program Files\\Borland\\Delphi 3\\Bin\\DELPHI32.EXE"},
        // The machine's value, then its folder's executable (the same file
        // in another case: tried once), then the user's value.
        {4, "C:\\Borland\\Delphi4\\Bin\\delphi32.exe"},
        {4, "C:\\user\\d4.exe"},
    };
    EXPECT_EQ(got, expected);
}

TEST(DelphiInstalls, AppPathsCountsOnlyWhereItsFolderTellsTheVersion) {
    const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\DELPHI32.EXE";
    Values values{{{LM, appPaths, ""}, "C:\\PROGRA~1\\BORLAND\\DELPHI~1\\BIN\\DELPHI32.EXE"}};
    EXPECT_TRUE(DelphiExecutablesInRegistry(ReaderOf(values)).empty());
    values[{CU, appPaths, ""}] = "C:\\Tools\\Delphi 2.0\\Bin\\DELPHI32.EXE";
    const std::vector<IdeCandidate> found = DelphiExecutablesInRegistry(ReaderOf(values));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].version, 2);
    EXPECT_EQ(found[0].windowsPath, "C:\\Tools\\Delphi 2.0\\Bin\\DELPHI32.EXE");
}

TEST(DelphiInstalls, EmptyValuesNameNothing) {
    const Values values{
        {{LM, "Software\\Borland\\Delphi\\3.0", "Delphi 3"}, ""},
        {{LM, "Software\\Borland\\Delphi\\3.0", "RootDir"}, "\"\""},
    };
    EXPECT_TRUE(DelphiExecutablesInRegistry(ReaderOf(values)).empty());
}

TEST(DelphiInstalls, FolderNamesTellTheirVersion) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> names{
        {"Delphi 2.0", 2}, {"Delphi 3", 3},     {"Delphi4", 4},        {"DELPHI 4", 4},
        {"delphi_3", 3},   {"Delphi-4", 4},     {"Delphi 3.02", 3},    {"Delphi 4 C-S", 4},
        {"Delphi", {}},    {"Delphi 7", {}},    {"Delphi 2005", {}},   {"Delphi 40", {}},
        {"Delphi1", {}},   {"MyDelphi4", {}},   {"Delphi x4", {}},     {"", {}},
    };
    for (const auto& [name, version] : names) EXPECT_EQ(DelphiVersionOfFolder(name), version) << name;
}

TEST(DelphiInstalls, AnExecutablesVersionIsThatOfTheFolderAboveItsBin) {
    EXPECT_EQ(DelphiVersionOfExecutable("C:\\Program Files\\Borland\\Delphi 3\\Bin\\DELPHI32.EXE"), 3);
    EXPECT_EQ(DelphiVersionOfExecutable("/wine/drive_c/Borland/Delphi4/BIN/delphi32.exe"), 4);
    EXPECT_EQ(DelphiVersionOfExecutable("C:\\Delphi4\\DELPHI32.EXE"), std::nullopt);  // no Bin
    EXPECT_EQ(DelphiVersionOfExecutable("C:\\Borland\\Delphi\\Bin\\DELPHI32.EXE"), std::nullopt);
    EXPECT_EQ(DelphiVersionOfExecutable("Bin\\DELPHI32.EXE"), std::nullopt);
}

}  // namespace
}  // namespace pivora
