#include "platform/posix/PosixSystem.h"

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "platform/formats/FileNames.h"
#include "platform/posix/CommandWords.h"
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
    std::vector<std::string> words;
    const std::string path = PathFrom(workDir, registered);
    const bool isFile = IsFile(path);
    if (isFile) words.push_back(path);
    else words = SplitCommandWords(registered);
    SpawnResult result;
    if (words.empty()) {
        result.executable = registered;
        result.reason = "実行するファイルが指定されていません。";
        return result;
    }
    words.push_back(file);
    result.executable = words.front();

    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    // A session of its own, so the IDE outlives the terminal the launcher ran in.
    posix_spawnattr_setflags(&setup.attr, POSIX_SPAWN_SETSID);
    if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&setup.actions, workDir.c_str());
    pid_t pid = 0;
    const int err = isFile ? posix_spawn(&pid, argv[0], &setup.actions, &setup.attr, argv.data(), environ)
                           : posix_spawnp(&pid, argv[0], &setup.actions, &setup.attr, argv.data(), environ);
    if (err != 0) {
        result.reason = std::strerror(err);
        return result;
    }
    result.started = true;
    return result;
}

}  // namespace pivora
