// Where the installers of Delphi 2, 3 and 4 leave an installation: the keys
// and values they write into the registry, and the folders they suggest.
// Rules only: reading the registry and the disk is the backends' business.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pivora {

enum class RegistryRoot { LocalMachine, CurrentUser };

// Reads a string value from the registry as a 32-bit program sees it (the
// installers are 32-bit programs), in UTF-8; nothing when it is missing.
using RegistryStringReader =
    std::function<std::optional<std::string>(RegistryRoot root, const std::string& key, const std::string& name)>;

struct IdeCandidate {
    std::int32_t version = 0;
    std::string windowsPath;  // as the registry has it ("C:\Program Files\...")
};

// The executables the registry names, in the order they are worth trying:
// version by version, the machine's key before the user's, in each the value
// that names the executable before the installation folder's
// Bin\DELPHI32.EXE; last the App Paths entry of DELPHI32.EXE, whose version
// its folder's name tells. Surrounding quotes are removed; whether a file is
// there is the caller's question.
std::vector<IdeCandidate> DelphiExecutablesInRegistry(const RegistryStringReader& read);

// The version that an installation folder's name tells: "Delphi 2.0",
// "Delphi 3", "Delphi4", "delphi 4 c-s" and the like. Nothing for a name that
// tells none of 2, 3 and 4 ("Delphi", "Delphi 7", "Delphi 2005").
std::optional<std::int32_t> DelphiVersionOfFolder(std::string_view name);

// The version of an executable by the folder that holds its Bin folder
// ("C:\Borland\Delphi 3\Bin\DELPHI32.EXE" is 3); backslashes and slashes
// both separate. Nothing where that tells none.
std::optional<std::int32_t> DelphiVersionOfExecutable(std::string_view path);

// The places of an installation below a Windows drive, as the installers
// suggest them: drive\Program Files*\Borland\Delphi*\Bin\DELPHI32.EXE. The
// names compare without regard to case, as Windows compares them.
inline constexpr std::string_view kProgramFilesPrefix = "program files";
inline constexpr std::string_view kVendorFolder = "borland";
inline constexpr std::string_view kBinFolder = "bin";
inline constexpr std::string_view kIdeExecutable = "delphi32.exe";

// True when two names are the same but for the case of ASCII letters.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace pivora
