// What the launcher needs of the operating system beyond files: its command
// line, the keyboard, its own path, the clock, starting a process, and where
// the IDEs are installed.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pivora {

class InstalledIdeSearch;

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto operator<=>(const LocalTime&) const = default;
};

// Where a user's own files go when the launcher's directory is not theirs:
// the XDG base directories, or the roaming application data of Windows.
enum class UserFileConvention { Xdg, AppData };

struct SpawnResult {
    bool started = false;
    std::string executable;  // what was (or would have been) run, for messages
    std::string reason;      // the system's reason when not started
};

class System {
public:
    virtual ~System() = default;

    // The arguments after the program name, split by the platform's rules,
    // enclosing quotes removed.
    virtual std::vector<std::string> Arguments() = 0;
    // True while a Ctrl key is held. False when there is no keyboard to ask.
    virtual bool CtrlDown() = 0;
    // The launcher's own executable, a full path.
    virtual std::string ExePath() = 0;
    virtual LocalTime Now() = 0;
    // A variable of the launcher's environment, in the system's own bytes;
    // nothing when it is not set.
    virtual std::optional<std::string> Environment(const std::string& /*name*/) { return std::nullopt; }
    virtual UserFileConvention UserFiles() {
#ifdef _WIN32
        return UserFileConvention::AppData;
#else
        return UserFileConvention::Xdg;
#endif
    }
    // Starts the IDE registered as `registered` with `file` as its one argument,
    // in `workDir`, without waiting for it. Safe quoting is the platform's job.
    virtual SpawnResult StartIde(const std::string& registered, const std::string& file,
                                 const std::string& workDir) = 0;
    // True when `command`, a registered text that names no file, is a command
    // whose program can be found (its first word in PATH). Where a registered
    // text is never a command of its own kind, as on Windows, always false.
    virtual bool CommandFound(const std::string& /*command*/, const std::string& /*workDir*/) { return false; }
    // The file argument as a full path: a relative one is taken from the
    // current directory, since the IDE starts elsewhere; a full path is kept
    // byte for byte, so its history entry still matches.
    virtual std::string AbsolutePath(const std::string& path) = 0;
    // File names and registered paths are kept in the system's own bytes; the
    // windows speak UTF-8. These convert between the two (identity on Linux).
    virtual std::string ToUiText(const std::string& native) { return native; }
    virtual std::string FromUiText(const std::string& ui) { return ui; }
    // The order of file names that the history is kept in: a total order, and
    // equality exactly when the file system takes two names for one file.
    // Byte-wise here; Windows ignores case, double-byte characters included.
    virtual int CompareFileNames(std::string_view a, std::string_view b) { return a.compare(b); }
    // The search for installed IDEs (InstalledIdes.h); none where the system
    // knows of no place to look.
    virtual std::shared_ptr<InstalledIdeSearch> IdeSearch() { return nullptr; }
};

}  // namespace pivora
