// The launch history: every file for which a version was determined, kept in
// file-name order so lookups can bisect, limited to a number of entries by
// dropping those added first, and stored whole in a text file beside the
// executable.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/HistoryFile.h"

namespace pivora {

class FileSystem;
class FileBytes;

using FileNameCompare = std::function<int(std::string_view, std::string_view)>;

class THistoryList {
public:
    // `shownPath` is how messages name the file, in the windows' text (the
    // path itself, in the system's bytes, when empty).
    THistoryList(FileSystem& files, std::string path, FileNameCompare compare, std::int32_t historyMax,
                 std::string shownPath = {});
    ~THistoryList();

    // Reads the file (a missing file is an empty history), sorts it by file name
    // and trims it, rewriting the file when entries were dropped. Throws
    // FileError when the file cannot be read; the history then refuses to save.
    void LoadHistory();
    // Rewrites the file under an exclusive lock. When another run changed the
    // file meanwhile, it is read again and this run's one removal and one
    // addition are applied to what it now holds, so launchers that run at the
    // same time keep each other's entries. Written atomically; throws FileError.
    void SaveHistory();
    // Adds an entry dated `now`, replacing one of that name, and saves. The
    // result is that of TrimHistory. A name the file cannot hold is not
    // remembered (the result is then true: nothing was dropped).
    bool AddHistory(const std::string& fileName, std::int32_t version, const LocalTime& now);
    // True when nothing had to be dropped; otherwise drops the oldest entries
    // (among equal dates, in file-name order) and saves.
    bool TrimHistory();
    // The index of an entry for that file, or -1.
    int FindHistory(std::string_view fileName) const;
    // Removes an entry in memory; the file learns of it at the next save.
    void DeleteHistory(int index);

    std::size_t Count() const { return slots_.size(); }
    THistory Entry(std::size_t index) const;
    std::int32_t HistoryMax() const { return historyMax_; }

    // False for a name with a line break or NUL in it, which the one-line
    // entries of the file cannot hold.
    static bool CanHold(std::string_view fileName);
    static int CompareByDate(const THistory& a, const THistory& b);
    int CompareByFileName(const THistory& a, const THistory& b) const;

private:
    // An entry as it is held: the name is a view into the loaded text, or into
    // the names this run added, so a large history costs one allocation.
    struct Slot {
        std::int64_t date;
        std::int32_t version;
        std::string_view name;
    };

    std::vector<Slot> ParseSlots(std::string_view text) const;
    // Sorts by file name and keeps one entry a name.
    void SortByFileName(std::vector<Slot>& slots) const;
    bool Trim(std::vector<Slot>& slots) const;
    int Find(const std::vector<Slot>& slots, std::string_view fileName) const;
    // Inserts in file-name order, or replaces the entry of that name.
    void Put(std::vector<Slot>& slots, const Slot& slot) const;
    std::string Format(const std::vector<Slot>& slots) const;

    FileSystem& files_;
    std::string path_;
    std::string shownPath_;
    FileNameCompare compare_;
    std::int32_t historyMax_;
    std::unique_ptr<FileBytes> text_; // the file as last read; the slots' names point into it
    std::deque<std::string> added_; // names added by this run (stable addresses)
    std::vector<Slot> slots_;
    std::string stamp_;             // the file's stamp when it was read or written
    bool loadedWhole_ = true;       // false after a failed load: never save over what was not read
    std::optional<THistory> pendingRemoval_;
    std::optional<THistory> pendingAddition_;
};

}  // namespace pivora
