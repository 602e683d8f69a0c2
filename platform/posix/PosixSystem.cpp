#include "platform/posix/PosixSystem.h"

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string_view>

#include "platform/formats/FileNames.h"
#include "platform/interface/FileSystem.h"
#include "platform/posix/CommandWords.h"
#include "platform/posix/ProgramSearch.h"
#include "platform/posix/WineCommand.h"
#include "platform/posix/WineIdeSearch.h"
#include "platform/posix/X11Keyboard.h"

extern char** environ;

namespace pivora {

namespace {

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Frees the spawn attributes and file actions on every way out.
struct SpawnSetup {
    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;
    SpawnSetup() {
        posix_spawnattr_init(&attr);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
};

// The launcher's environment with WINEPREFIX naming `prefix`.
std::vector<std::string> EnvironmentWithPrefix(const std::string& prefix) {
    std::vector<std::string> environment;
    for (char** e = environ; e && *e; ++e)
        if (std::string_view(*e).substr(0, 11) != "WINEPREFIX=") environment.emplace_back(*e);
    environment.push_back("WINEPREFIX=" + prefix);
    return environment;
}

}  // namespace

PosixSystem::PosixSystem(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) arguments_.emplace_back(argv[i]);
}

bool PosixSystem::CtrlDown() { return X11CtrlDown(); }

std::string PosixSystem::ExePath() {
    // The settings and the history stand beside the executable: a guess (the
    // current directory, say) would read other settings and write the history
    // wherever the user stood, so a path that cannot be read ends the run.
    if (exePath_.empty()) {
        std::string path = ReadLink("/proc/self/exe");
        if (path.empty() || path.front() != '/')
            throw std::runtime_error("実行ファイルの場所 (/proc/self/exe) を読み取れません。\n" +
                                     std::string(std::strerror(path.empty() ? errno : ENOENT)));
        exePath_ = std::move(path);
    }
    return exePath_;
}

std::shared_ptr<InstalledIdeSearch> PosixSystem::IdeSearch() {
    // Read here, on the launcher's thread: the search's threads touch no environment.
    return std::make_shared<WineIdeSearch>(
        WinePrefixPlacesFor(Environment("WINEPREFIX"), Environment("HOME"), Environment("XDG_DATA_HOME")),
        std::make_shared<PosixPrefixFiles>());
}

std::string ReadLink(const char* link) {
    // No fixed buffer: the path may be longer than PATH_MAX.
    for (std::size_t size = 256; size <= (std::size_t{1} << 20); size *= 2) {
        std::string buffer(size, '\0');
        const ssize_t n = ::readlink(link, buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            return buffer;
        }
    }
    errno = ENAMETOOLONG;
    return {};
}

std::string CurrentDirectory() {
    for (std::size_t size = 4096; size <= (std::size_t{1} << 20); size *= 2) {
        std::string buffer(size, '\0');
        if (::getcwd(buffer.data(), buffer.size())) {
            buffer.resize(std::char_traits<char>::length(buffer.c_str()));
            return buffer;
        }
        if (errno != ERANGE) return {};
    }
    return {};
}

std::string PosixSystem::AbsolutePath(const std::string& path) {
    // A full path is used as delivered, so that the history still knows it.
    if (path.empty() || path.front() == '/') return path;
    std::string dir = CurrentDirectory();
    if (dir.empty()) {
        const int error = errno;
        throw FileError("ファイル [" + path + "] の場所が分かりません。現在のディレクトリを読み取れません。\n" +
                        std::strerror(error));
    }
    // A leading "./" says no more than the current directory itself.
    std::size_t skip = 0;
    while (path.compare(skip, 2, "./") == 0) {
        skip += 2;
        while (skip < path.size() && path[skip] == '/') ++skip;
    }
    if (dir.back() != '/') dir += '/';
    return dir.append(path, skip);
}

bool PosixSystem::CommandFound(const std::string& command, const std::string& workDir) {
    const std::vector<std::string> words = SplitCommandWords(command);
    if (words.empty()) return false;
    // A program named by its path is found as StartIde starts it: from the IDE's directory.
    if (words.front().find('/') != std::string::npos) return IsExecutableFile(PathFrom(workDir, words.front()));
    return !FindProgramOnPath(words.front()).empty();
}

std::optional<std::string> PosixSystem::Environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

LocalTime PosixSystem::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm tm {};
    ::localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

SpawnResult PosixSystem::StartIde(const std::string& registered, const std::string& file,
                                  const std::string& workDir) {
    // A registered text that names a file is that file, blanks and all; anything
    // else is the user's own command, split into words and looked up in PATH.
    // A relative file is the one under the launcher's directory, where the
    // IDE starts: never one that happens to lie under the current directory.
    // A Windows program runs through Wine; a command is the user's own and
    // left as it is.
    std::vector<std::string> words;
    std::vector<std::string> environment;
    const std::string path = PathFrom(workDir, registered);
    const bool isFile = IsFile(path);
    SpawnResult result;
    if (isFile && IsWindowsProgramFile(path)) {
        WineCommand wine = BuildWineCommand(path, file);
        if (wine.words.empty()) {
            result.executable = path;
            result.reason = wine.error;
            return result;
        }
        words = std::move(wine.words);
        if (wine.prefix) environment = EnvironmentWithPrefix(*wine.prefix);
    } else {
        if (isFile) words.push_back(path);
        else words = SplitCommandWords(registered);
        if (words.empty()) {
            result.executable = registered;
            result.reason = "実行するファイルが指定されていません。";
            return result;
        }
        words.push_back(file);
    }
    result.executable = isFile ? path : words.front();

    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    // A session of its own, so the IDE outlives the terminal the launcher ran in.
    posix_spawnattr_setflags(&setup.attr, POSIX_SPAWN_SETSID);
    if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&setup.actions, workDir.c_str());
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    char** const env = environment.empty() ? environ : envp.data();
    pid_t pid = 0;
    const int err = isFile ? posix_spawn(&pid, argv[0], &setup.actions, &setup.attr, argv.data(), env)
                           : posix_spawnp(&pid, argv[0], &setup.actions, &setup.attr, argv.data(), env);
    if (err != 0) {
        result.reason = std::strerror(err);
        return result;
    }
    result.started = true;
    return result;
}

}  // namespace pivora
