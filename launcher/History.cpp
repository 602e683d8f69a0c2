#include "launcher/History.h"

#include <algorithm>
#include <numeric>

#include "platform/FileSystem.h"

namespace pivora {

namespace {
// Room reserved up front is capped; the list grows past it as needed, so no
// hand-set limit can stop the start.
constexpr std::size_t kMaxReserve = 4096;
}  // namespace

THistoryList::THistoryList(FileSystem& files, std::string path, FileNameCompare compare, std::int32_t historyMax)
    : files_(files), path_(std::move(path)), compare_(std::move(compare)), historyMax_(std::max(historyMax, 0)) {
    entries_.reserve(std::min(static_cast<std::size_t>(historyMax_), kMaxReserve));
}

int THistoryList::CompareByDate(const THistory& a, const THistory& b) {
    if (a.Date < b.Date) return -1;
    if (b.Date < a.Date) return 1;
    return 0;
}

int THistoryList::CompareByFileName(const THistory& a, const THistory& b) const {
    return compare_(a.FileName, b.FileName);
}

void THistoryList::SortByFileName(std::vector<THistory>& entries) const {
    auto less = [this](const THistory& a, const THistory& b) { return CompareByFileName(a, b) < 0; };
    // A file written by this launcher is already in order; only a hand-edited one needs sorting.
    if (!std::is_sorted(entries.begin(), entries.end(), less)) std::stable_sort(entries.begin(), entries.end(), less);
}

bool THistoryList::Trim(std::vector<THistory>& entries) const {
    if (entries.size() <= static_cast<std::size_t>(historyMax_)) return false;
    const std::size_t drop = entries.size() - static_cast<std::size_t>(historyMax_);
    // Rank by date, keeping the file-name order among equal dates, and drop the first ranks.
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return CompareByDate(entries[a], entries[b]) < 0; });
    std::vector<bool> dropped(entries.size(), false);
    for (std::size_t i = 0; i < drop; ++i) dropped[order[i]] = true;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!dropped[i]) {
            if (kept != i) entries[kept] = std::move(entries[i]);
            ++kept;
        }
    entries.resize(kept);
    return true;
}

int THistoryList::Find(const std::vector<THistory>& entries, const std::string& fileName) const {
    if (entries.empty()) return -1;
    std::size_t lo = 0, hi = entries.size() - 1;
    while (hi > lo) {
        const std::size_t mid = (lo + hi) / 2;
        const int r = compare_(entries[mid].FileName, fileName);
        if (r == 0) return static_cast<int>(mid);
        if (r < 0) lo = mid + 1;
        else hi = mid;
    }
    return compare_(entries[lo].FileName, fileName) == 0 ? static_cast<int>(lo) : -1;
}

void THistoryList::InsertSorted(std::vector<THistory>& entries, THistory entry) const {
    auto at = std::upper_bound(entries.begin(), entries.end(), entry,
                               [this](const THistory& a, const THistory& b) { return CompareByFileName(a, b) < 0; });
    entries.insert(at, std::move(entry));
}

int THistoryList::FindHistory(const std::string& fileName) const { return Find(entries_, fileName); }

void THistoryList::LoadHistory() {
    if (!files_.FileExists(path_)) return;
    try {
        loadedText_ = files_.ReadFile(path_);
    } catch (const FileError&) {
        loadedWhole_ = false;
        throw;
    }
    entries_ = ParseHistoryText(loadedText_);
    SortByFileName(entries_);
    TrimHistory();
}

void THistoryList::DeleteHistory(int index) {
    removed_ = entries_.at(static_cast<std::size_t>(index));
    entries_.erase(entries_.begin() + index);
}

bool THistoryList::AddHistory(const std::string& fileName, std::int32_t version, const LocalTime& now) {
    THistory entry{now, version, fileName};
    added_ = entry;
    InsertSorted(entries_, std::move(entry));
    const bool nothingDropped = TrimHistory();
    if (nothingDropped) SaveHistory();
    return nothingDropped;
}

bool THistoryList::TrimHistory() {
    if (entries_.size() <= static_cast<std::size_t>(historyMax_)) return true;
    Trim(entries_);
    SaveHistory();
    return false;
}

void THistoryList::SaveHistory() {
    if (!loadedWhole_)
        throw FileError("履歴ファイル [" + path_ + "] を読み込めなかったため、上書きしません。");
    const auto lock = files_.LockExclusive(path_ + ".lock");
    const std::string onDisk = files_.FileExists(path_) ? files_.ReadFile(path_) : std::string();
    if (onDisk == loadedText_) {
        // Nobody else wrote meanwhile: this run's list is the whole truth.
        std::string text = FormatHistoryText(entries_);
        files_.WriteFileAtomic(path_, text);
        loadedText_ = std::move(text);
    } else {
        std::vector<THistory> merged = ParseHistoryText(onDisk);
        SortByFileName(merged);
        if (removed_)
            if (int i = Find(merged, removed_->FileName); i >= 0) merged.erase(merged.begin() + i);
        if (added_) InsertSorted(merged, *added_);
        Trim(merged);
        std::string text = FormatHistoryText(merged);
        files_.WriteFileAtomic(path_, text);
        entries_ = std::move(merged);
        loadedText_ = std::move(text);
    }
    removed_.reset();
    added_.reset();
}

}  // namespace pivora
