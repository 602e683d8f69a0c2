// libFuzzer target for the three detectors (DetectFromDsk, DetectFromDpr,
// DetectFromUnit), each run on the same files in memory (MemoryFiles) and on
// disk (PosixFiles, in a temporary directory).
//
// Input, cut at 0xFF: the project (Project1.dpr), its desktop (Project1.dsk),
// a byte of choices followed by the compiled unit's path under the project's
// directory, and the compiled unit's bytes (the rest, 0xFF and all). A plain
// project file is a whole case: a project without desktop or units.
//
// Held: no reader fails where only files stand (where the unit's directories
// stand too, a reader may report one it was to read); each answer is a
// version (the desktop's 0, 2, 3 or 4; the others 0 to 4); a compiled unit
// gives its signature's version; a project gives 0 or the version of the one
// compiled unit there is; with no desktop, DetectFromDsk gives 0. And the
// disk answers as memory does, except where the two legitimately part:
//  - a path the system resolves but the map of names does not: "." or ".."
//    components, doubled separators, a unit path that starts with one (the
//    system reads "dir//x" as "dir/x"; ".." may even leave the directory);
//  - a disk that ignores letter case, where FileExists finds what memory
//    finds only through FindCaseVariant, and a second spelling of a unit
//    overwrites the first instead of making the lookup ambiguous;
//  - a file the disk cannot hold where memory can (a unit under a directory
//    that has a file's name).
// Memory is held to every check all the same; the disk, then, only to give
// versions or report a file it could not read (and to nothing where it cannot
// hold the files at all).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/Detection.h"
#include "platform/formats/FileNames.h"
#include "platform/posix/PosixFiles.h"
#include "tests/scripted/MemoryFiles.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/RecordingFiles.h"
#include "tests/fuzz/TempDir.h"

namespace {

using namespace pivora;
using fuzz::Require;
using fuzz::Shown;

enum Choice : std::uint8_t {
    kDesktopInCapitals = 1,   // PROJECT1.DSK: found only as a case variant
    kUnitTwice = 2,           // the unit also under its name in the other case: ambiguous
    kProjectInCapitals = 4,   // PROJECT1.DPR
    kEmptyDesktop = 8,        // a desktop file even when its part is empty
    kUnitExtInCapitals = 16,  // .DCU
};

struct Case {
    std::uint8_t choices = 0;
    std::string project, desktop, unit;  // names under the directory
    std::string_view projectText, desktopText, unitBytes;
    bool hasDesktop = false, hasUnit = false;
};

std::string OtherCase(std::string s) {
    for (char& c : s)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) c = static_cast<char>(c ^ 0x20);
    return s;
}

// A relative path with plain components only, so that it names the same file
// in memory and on disk: no ".", "..", empty or over-long component, at most
// four deep; a compiled unit's extension.
std::string UnitPath(std::string_view bytes, bool capitals) {
    std::string path, component;
    int depth = 0;
    for (std::size_t i = 0; i <= bytes.size() && depth < 4; ++i) {
        const char c = i < bytes.size() ? bytes[i] : '/';
        if (c == '/' || c == '\\') {
            if (!component.empty() && component != "." && component != ".." && component.size() <= 64)
                path += (path.empty() ? "" : "/") + component, ++depth;
            component.clear();
        } else if (c != '\0') {
            component += c;
        }
    }
    if (path.empty()) path = "Unit1";
    return ChangeFileExt(path, capitals ? ".DCU" : ".dcu");
}

Case Parse(std::string_view input) {
    const auto parts = fuzz::SplitParts(input, '\xFF', 4);
    Case c;
    c.choices = parts[2].empty() ? 0 : static_cast<std::uint8_t>(parts[2][0]);
    c.project = c.choices & kProjectInCapitals ? "PROJECT1.DPR" : "Project1.dpr";
    c.desktop = c.choices & kDesktopInCapitals ? "PROJECT1.DSK" : "Project1.dsk";
    c.unit = UnitPath(parts[2].substr(parts[2].empty() ? 0 : 1), c.choices & kUnitExtInCapitals);
    c.projectText = parts[0];
    c.desktopText = parts[1];
    c.unitBytes = parts[3];
    c.hasDesktop = !parts[1].empty() || (c.choices & kEmptyDesktop);
    c.hasUnit = !parts[2].empty() || !parts[3].empty();
    return c;
}

// Writes the case's files through `write(relative, bytes)`, in one order for both.
template <class Write>
bool Lay(const Case& c, Write&& write) {
    bool ok = write(c.project, c.projectText);
    if (c.hasDesktop) ok = write(c.desktop, c.desktopText) && ok;
    if (c.hasUnit) {
        ok = write(c.unit, c.unitBytes) && ok;
        if (c.choices & kUnitTwice) {
            const std::string dir = ExtractFilePath(c.unit);
            ok = write(dir + OtherCase(c.unit.substr(dir.size())), c.unitBytes) && ok;
        }
    }
    return ok;
}

struct Answers {
    std::int32_t dsk, dpr, unit, unitFromSource, unitFromForm;
    bool operator==(const Answers&) const = default;
    std::string Text() const {
        return std::to_string(dsk) + " " + std::to_string(dpr) + " " + std::to_string(unit) + " " +
               std::to_string(unitFromSource) + " " + std::to_string(unitFromForm);
    }
};

constexpr std::int32_t kFailed = -1;

template <class Detect>
std::int32_t Ask(Detect&& detect) {
    try {
        return detect();
    } catch (const FileError&) {
        return kFailed;
    }
}

Answers Detect(FileSystem& files, const std::string& dir, const Case& c) {
    const std::string project = dir + c.project, unit = dir + c.unit;
    return {Ask([&] { return DetectFromDsk(files, project); }), Ask([&] { return DetectFromDpr(files, project); }),
            Ask([&] { return DetectFromUnit(files, unit); }),
            Ask([&] { return DetectFromUnit(files, ChangeFileExt(unit, ".pas")); }),
            Ask([&] { return DetectFromUnit(files, ChangeFileExt(unit, ".DFM")); })};
}

void Check(const Answers& a, const Case& c, const char* where) {
    const std::int32_t signature = c.hasUnit ? VersionOfUnitSignature(std::string(c.unitBytes.substr(0, 4))) : 0;
    const auto what = [&](const char* property) {
        return std::string(where) + ": " + property + " (answers " + a.Text() + ", signature " + std::to_string(signature) +
               ", unit " + Shown(c.unit) + ")";
    };
    const bool directories = c.hasUnit && c.unit.find('/') != std::string::npos;
    const auto reported = [&](std::int32_t v) { return v == kFailed && directories; };
    for (const std::int32_t v : {a.dsk, a.dpr, a.unit, a.unitFromSource, a.unitFromForm})
        Require(v != kFailed || directories, [&] { return what("a reader failed where only files stand"); });
    Require(a.dsk == 0 || (a.dsk >= 2 && a.dsk <= 4) || reported(a.dsk), [&] { return what("the desktop gave no version"); });
    Require(c.hasDesktop || a.dsk == 0 || reported(a.dsk), [&] { return what("a version from a desktop that is not there"); });
    Require(a.unit == signature, [&] { return what("the compiled unit is not read as its signature"); });
    for (const std::int32_t v : {a.dpr, a.unitFromSource, a.unitFromForm})
        Require(v == 0 || v == signature || reported(v), [&] { return what("a version that no compiled unit there has"); });
}

// A path of the directory with plain components only: one that the disk and
// the map of names take for the same file.
bool Plain(const std::string& path, const std::string& dir) {
    if (path.compare(0, dir.size(), dir) != 0) return false;
    std::string_view rest = std::string_view(path).substr(dir.size());
    for (;;) {
        const std::size_t end = std::min(rest.find('/'), rest.size());
        const std::string_view component = rest.substr(0, end);
        if (component.empty() || component == "." || component == "..") return false;
        if (end == rest.size()) return true;
        rest.remove_prefix(end + 1);
    }
}

fuzz::TempDir& Disk() {
    static fuzz::TempDir dir;
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Case c = Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::TempDir& disk = Disk();
    static const bool caseSensitive = disk.CaseSensitive();
    // The same directory name in memory, so both runs are asked about the same paths.
    const std::string& dir = disk.Path();

    MemoryFiles memory;
    Lay(c, [&](const std::string& name, std::string_view bytes) { return memory.files[dir + name] = bytes, true; });
    // The unit's directories stand in memory as they do on disk: as no files
    // (unless a file has that name, which the disk cannot hold: see below).
    for (std::size_t slash = c.unit.find('/'); c.hasUnit && slash != std::string::npos; slash = c.unit.find('/', slash + 1))
        if (!memory.FileExists(dir + c.unit.substr(0, slash))) memory.nonFiles.insert(dir + c.unit.substr(0, slash));
    fuzz::RecordingFiles inMemory(memory);
    const Answers fromMemory = Detect(inMemory, dir, c);
    Check(fromMemory, c, "in memory");

    disk.Clear();
    const bool laid = Lay(c, [&](const std::string& name, std::string_view bytes) { return disk.Write(name, bytes); });
    if (!laid) return 0;
    PosixFiles posix;
    fuzz::RecordingFiles onDisk(posix);
    const Answers fromDisk = Detect(onDisk, dir, c);

    bool comparable = caseSensitive;
    for (const auto* run : {&inMemory, &onDisk})
        for (const std::string& path : run->paths) comparable = comparable && Plain(path, dir);
    if (!comparable) {
        // Paths that may lead anywhere on the machine: an answer, or a file that could not be read.
        for (const std::int32_t v : {fromDisk.dsk, fromDisk.dpr, fromDisk.unit, fromDisk.unitFromSource, fromDisk.unitFromForm})
            Require(v >= kFailed && v <= 4, [&] { return "on disk, no version: " + fromDisk.Text(); });
        return 0;
    }
    Check(fromDisk, c, "on disk");
    Require(fromDisk == fromMemory, [&] {
        return "on disk " + fromDisk.Text() + ", in memory " + fromMemory.Text() + " (unit " + Shown(c.unit) + ")";
    });
    return 0;
}
