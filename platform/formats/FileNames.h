// Path and extension helpers. Separators and dots are looked for character by
// character, so where the ANSI code page is double-byte (932) the trail byte of
// a character such as 表 (0x95 0x5C) is never taken for a backslash.
#pragma once

#include <string>
#include <string_view>

namespace pivora {

struct PathRules {
    bool backslashIsSeparator = false;  // true on Windows; "/" always separates
    bool doubleByteCodePage = false;    // true where the ANSI code page is 932
};

// The rules of the platform the launcher runs on (set once at start-up).
const PathRules& CurrentPathRules();
void SetCurrentPathRules(const PathRules& rules);

bool IsShiftJisLeadByte(unsigned char c);

// From the last "." of the last component, dot included; empty when none.
std::string ExtractFileExt(std::string_view path, const PathRules& r = CurrentPathRules());
// Replaces the extension, or adds `ext` when the name has none.
std::string ChangeFileExt(std::string_view path, std::string_view ext,
                          const PathRules& r = CurrentPathRules());
// The directory part with its trailing separator; empty when there is none.
std::string ExtractFilePath(std::string_view path, const PathRules& r = CurrentPathRules());
// True for a path that does not depend on the current directory: "/..." and,
// with Windows rules, "\\...", "\\server\\..." and "C:..." (a drive).
bool IsAbsolutePath(std::string_view path, const PathRules& r = CurrentPathRules());
// `path` itself when it is absolute, else `path` under `dir` (a directory
// with its trailing separator): where a relative registered IDE is looked
// for and started from, whatever the current directory.
std::string PathFrom(std::string_view dir, std::string_view path, const PathRules& r = CurrentPathRules());
// The last component.
std::string ExtractFileName(std::string_view path, const PathRules& r = CurrentPathRules());
// ASCII letters lower-cased, trail bytes of double-byte characters left alone.
std::string AnsiLowerCase(std::string_view text, const PathRules& r = CurrentPathRules());
// Lower-cased extension, the form the detectors compare.
inline std::string LowerExt(std::string_view path, const PathRules& r = CurrentPathRules()) {
    return AnsiLowerCase(ExtractFileExt(path, r), r);
}

}  // namespace pivora
