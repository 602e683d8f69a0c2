#include "launcher/Detection.h"

#include <array>
#include <cstring>
#include <string_view>

#include "platform/formats/FileNames.h"
#include "platform/interface/FileSystem.h"
#include "platform/formats/IniFile.h"
#include "platform/formats/TextLines.h"

namespace pivora {

namespace {

// The first four bytes of a compiled unit; the row is the version a match yields.
constexpr std::array<std::array<unsigned char, 4>, 4> kUnitSignatures{{
    {0x44, 0x43, 0x55, 0x31},  // "DCU1": 1
    {0x48, 0x53, 0x50, 0x50},  // "HSPP": 2
    {0x41, 0x86, 0x51, 0x44},  // 3
    {0xD8, 0xA6, 0x68, 0x47},  // 4
}};

bool NonEmpty(const IniDocument& dsk, std::string_view section, std::string_view key) {
    return !dsk.ReadString(section, key, "").empty();
}

// Later IDE versions also write "Main Window"/"ClientWidth"; these two keys are
// written only by them, and opening such a project in version 4 would damage its forms.
bool WrittenByLaterVersion(const IniDocument& dsk) {
    return NonEmpty(dsk, "PropertyInspector", "ArrangeBy") || NonEmpty(dsk, "Main Window", "PercentageSizes");
}

// A project file is read up to this size: its unit list stands near the top,
// and a file of gigabytes (damaged, or made to hurt) must cost neither the
// time nor the memory to read it whole.
constexpr std::size_t kMaxProjectBytes = 4u << 20;
// The IDE's editor keeps lines far shorter; a longer one is no unit clause.
constexpr std::size_t kMaxProjectLine = 64u << 10;

// Unit paths in a project file are written for Windows.
std::string NativeSeparators(std::string path) {
    if (!CurrentPathRules().backslashIsSeparator)
        for (char& c : path)
            if (c == '\\') c = '/';
    return path;
}

}  // namespace

std::optional<std::string> FindExistingFile(FileSystem& files, const std::string& path) {
    if (files.FileExists(path)) return path;
    return files.FindCaseVariant(path);
}

std::int32_t VersionOfUnitSignature(const std::string& head) {
    if (head.size() < 4) return 0;
    for (std::size_t row = 0; row < kUnitSignatures.size(); ++row)
        if (std::memcmp(head.data(), kUnitSignatures[row].data(), 4) == 0) return static_cast<std::int32_t>(row + 1);
    return 0;
}

std::int32_t DetectFromDsk(FileSystem& files, const std::string& fileName) {
    if (LowerExt(fileName) != ".dpr") return 0;
    const auto dskName = FindExistingFile(files, ChangeFileExt(fileName, ".dsk"));
    if (!dskName) return 0;
    const IniDocument dsk = IniDocument::Parse(files.ReadFile(*dskName));
    if (NonEmpty(dsk, "Main Window", "ClientWidth") && !WrittenByLaterVersion(dsk)) return 4;
    if (NonEmpty(dsk, "MainWindow", "ClientWidth")) return 3;
    if (NonEmpty(dsk, "MainWindow", "Width")) return 2;
    return 0;
}

std::int32_t DetectFromDpr(FileSystem& files, const std::string& fileName) {
    if (LowerExt(fileName) != ".dpr" || !files.FileExists(fileName)) return 0;
    std::string text = files.ReadPrefix(fileName, kMaxProjectBytes + 1);
    if (text.size() > kMaxProjectBytes) {
        // Cut at the bound: the last line is not whole, so it is passed over.
        text.resize(kMaxProjectBytes);
        const std::size_t lastEnd = text.find_last_of("\r\n");
        text.resize(lastEnd == std::string::npos ? 0 : lastEnd);
    }
    const std::string dir = ExtractFilePath(fileName);
    std::int32_t version = 0;
    ForEachLine(text, [&](std::string_view line) {
        if (line.size() > kMaxProjectLine) return true;
        // A unit clause reads: Name in 'path\Name.pas'. Only the first one of a
        // line counts, and the markers are matched exactly, case included.
        const std::size_t p1 = line.find(" in '");
        const std::size_t p2 = line.find(".pas'");
        if (p1 == std::string_view::npos || p2 == std::string_view::npos || p2 <= p1) return true;
        const std::string_view unitSource = line.substr(p1 + 5, p2 + 4 - (p1 + 5));
        // The system would read a name only up to a NUL: that would be another file.
        if (unitSource.find('\0') != std::string_view::npos) return true;
        version = DetectFromUnit(files, dir + NativeSeparators(std::string(unitSource)));
        return version == 0;
    });
    return version;
}

std::int32_t DetectFromUnit(FileSystem& files, const std::string& fileName) {
    std::string unit = fileName;
    if (LowerExt(unit) == ".dfm") unit = ChangeFileExt(unit, ".dcu");
    if (LowerExt(unit) == ".pas") unit = ChangeFileExt(unit, ".dcu");
    if (LowerExt(unit) != ".dcu") return 0;
    const auto existing = FindExistingFile(files, unit);
    if (!existing) return 0;
    return VersionOfUnitSignature(files.ReadPrefix(*existing, 4));
}

}  // namespace pivora
