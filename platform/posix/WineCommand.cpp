#include "platform/posix/WineCommand.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "platform/posix/PosixSystem.h"
#include "platform/posix/ProgramSearch.h"
#include "platform/posix/WinePaths.h"

namespace pivora {

namespace {

// The prefix Wine itself would use when the program lies in none.
std::string EnvironmentPrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.wine";
}

std::vector<DosDeviceLink> ReadDosDevices(const std::string& dir) {
    std::vector<DosDeviceLink> links;
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(dir.c_str()), &::closedir);
    if (!listing) return links;
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string name = entry->d_name;
        if (name.size() != 2 || name[1] != ':') continue;  // devices and "." are no drives
        std::string target = ReadLink((dir + "/" + name).c_str());
        if (!target.empty()) links.push_back({name, std::move(target)});
    }
    return links;
}

// Where the names differ only by links (a home folder reached through one,
// say), the drives and the file are compared as the system resolves them.
std::string Resolved(const std::string& path) {
    const std::unique_ptr<char, void (*)(void*)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

std::string WindowsName(const std::string& prefix, const std::string& file) {
    const std::string dosdevices = prefix + "/dosdevices";
    std::vector<WineDrive> drives = DrivesFromLinks(dosdevices, ReadDosDevices(dosdevices));
    if (auto name = WindowsPathIn(file, drives)) return *name;
    for (WineDrive& drive : drives) drive.root = Resolved(drive.root);
    std::erase_if(drives, [](const WineDrive& d) { return d.root.empty(); });
    if (auto name = WindowsPathIn(Resolved(file), drives)) return *name;
    return file;
}

}  // namespace

bool IsWindowsProgramFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    char header[2] = {};
    const ssize_t n = ::read(fd, header, sizeof header);
    ::close(fd);
    return n == 2 && IsWindowsProgramHeader(std::string_view(header, 2));
}

WineCommand BuildWineCommand(const std::string& program, const std::string& file) {
    WineCommand command;
    const std::string wine = FindProgramOnPath("wine");
    if (wine.empty()) {
        command.error = "Windows のプログラムを起動する Wine (wine) が PATH に見つかりません。"
                        "Wine をインストールしてください。";
        return command;
    }
    command.prefix = WinePrefixHolding(program);
    command.words = {wine, program, WindowsName(command.prefix.value_or(EnvironmentPrefix()), file)};
    return command;
}

}  // namespace pivora
