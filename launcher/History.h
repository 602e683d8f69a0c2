// The launch history: every file for which a version was determined, kept in
// file-name order so lookups can bisect, limited to a number of entries by
// dropping those added first, and stored whole in a text file beside the
// executable.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "launcher/HistoryFile.h"

namespace pivora {

class FileSystem;

using FileNameCompare = std::function<int(const std::string&, const std::string&)>;

class THistoryList {
public:
    THistoryList(FileSystem& files, std::string path, FileNameCompare compare, std::int32_t historyMax);

    // Reads the file (a missing file is an empty history), sorts it by file name
    // and trims it, rewriting the file when entries were dropped. Throws
    // FileError when the file cannot be read; the history then refuses to save.
    void LoadHistory();
    // Rewrites the file under an exclusive lock: the file is read again, this
    // run's one removal and one addition are applied to what it now holds (so
    // launchers that run at the same time keep each other's entries), the
    // result is trimmed and written atomically. Throws FileError.
    void SaveHistory();
    // Adds an entry dated `now` and saves. The result is that of TrimHistory.
    bool AddHistory(const std::string& fileName, std::int32_t version, const LocalTime& now);
    // True when nothing had to be dropped; otherwise drops the oldest entries
    // (among equal dates, in file-name order) and saves.
    bool TrimHistory();
    // The index of an entry for that file, or -1.
    int FindHistory(const std::string& fileName) const;
    // Removes an entry in memory; the file learns of it at the next save.
    void DeleteHistory(int index);

    const std::vector<THistory>& Entries() const { return entries_; }
    std::int32_t HistoryMax() const { return historyMax_; }
    const std::string& Path() const { return path_; }

    static int CompareByDate(const THistory& a, const THistory& b);
    int CompareByFileName(const THistory& a, const THistory& b) const;

private:
    void SortByFileName(std::vector<THistory>& entries) const;
    // Drops the oldest entries beyond the limit; true when any were dropped.
    bool Trim(std::vector<THistory>& entries) const;
    int Find(const std::vector<THistory>& entries, const std::string& fileName) const;
    void InsertSorted(std::vector<THistory>& entries, THistory entry) const;

    FileSystem& files_;
    std::string path_;
    FileNameCompare compare_;
    std::int32_t historyMax_;
    std::vector<THistory> entries_;
    std::string loadedText_;      // the file as loaded, to tell whether another run changed it
    bool loadedWhole_ = true;     // false after a failed load: never save over what was not read
    std::optional<THistory> removed_;
    std::optional<THistory> added_;
};

}  // namespace pivora
