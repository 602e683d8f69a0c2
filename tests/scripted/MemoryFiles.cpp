#include "tests/scripted/MemoryFiles.h"

#include <strings.h>

#include <stdexcept>

#include "platform/formats/FileNames.h"

namespace pivora {

std::string MemoryFiles::ReadFile(const std::string& path) {
    if (nonFiles.count(path)) throw std::logic_error("opened a non-file for reading: " + path);
    if (failReads.count(path)) throw FileError("ファイル [" + path + "] を読み込めません。\n(injected fault)");
    auto it = files.find(path);
    if (it == files.end()) throw FileError("ファイル [" + path + "] を開けません。\nNo such file or directory");
    return it->second;
}

std::string MemoryFiles::ReadPrefix(const std::string& path, std::size_t count) {
    return ReadFile(path).substr(0, count);
}

void MemoryFiles::WriteFileAtomic(const std::string& path, const std::string& data) {
    if (readOnlyDirs.count(ExtractFilePath(path)))
        throw FileError("ファイル [" + path + "] に書き込めません。\nPermission denied");
    if (failWrites.count(path)) throw FileError("ファイル [" + path + "] に書き込めません。\nNo space left on device");
    if (nonFiles.count(path)) throw NotAFile(path);
    files[path] = data;
    ++writes;
}

std::optional<std::string> MemoryFiles::FindCaseVariant(const std::string& path) {
    const std::string dir = ExtractFilePath(path);
    const std::string name = ExtractFileName(path);
    std::optional<std::string> found;
    int matches = 0;
    for (const auto& [candidate, _] : files) {
        if (ExtractFilePath(candidate) != dir) continue;
        if (::strcasecmp(ExtractFileName(candidate).c_str(), name.c_str()) != 0) continue;
        ++matches;
        found = candidate;
    }
    if (matches != 1) return std::nullopt;
    return found;
}

std::unique_ptr<FileLock> MemoryFiles::LockExclusive(const std::string& lockPath) {
    if (heldLocks.count(lockPath)) throw FileInUse("ファイル [" + lockPath + "] は他のプログラムが使用中です。");
    if (failLocks.count(lockPath) || readOnlyDirs.count(ExtractFilePath(lockPath))) throw FileError("ファイル [" + lockPath + "] を開けません。\nPermission denied");
    ++locks;
    return std::make_unique<FileLock>();
}

}  // namespace pivora

namespace pivora {

void MemoryFiles::CreateDirectories(const std::string& dir) {
    for (const std::string& readOnly : readOnlyDirs)
        if (dir.compare(0, readOnly.size(), readOnly) == 0)
            throw FileError("フォルダー [" + dir + "] を作成できません。\nPermission denied");
    createdDirs.insert(dir);
}

}  // namespace pivora
