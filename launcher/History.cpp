#include "launcher/History.h"

#include <algorithm>
#include <numeric>

#include "platform/interface/FileSystem.h"
#include "platform/formats/TextLines.h"

namespace pivora {

namespace {
// Room reserved up front is capped; the list grows past it as needed, so no
// hand-set limit can stop the start.
constexpr std::size_t kMaxReserve = 4096;

// The system's reason: what follows the first line of a file error's text.
std::string ReasonOf(const FileError& e) {
    const std::string_view text = e.what();
    const std::size_t lineEnd = text.find('\n');
    return std::string(lineEnd == std::string_view::npos ? text : text.substr(lineEnd + 1));
}

// The lock file is the launcher's own device; a failure to take it is
// reported as what the user sees fail: the history file cannot be written.
std::unique_ptr<FileLock> LockHistory(FileSystem& files, const std::string& path, const std::string& shown) {
    try {
        return files.LockExclusive(path + ".lock");
    } catch (const FileInUse&) {
        throw FileInUse("履歴ファイル [" + shown + "] は他のプログラムが使用中です。\n"
                        "しばらくしてからやり直して下さい。");
    } catch (const FileError& e) {
        throw FileError("ファイル [" + shown + "] に書き込めません。\n" + ReasonOf(e));
    }
}
}  // namespace

THistoryList::THistoryList(FileSystem& files, std::string path, FileNameCompare compare, std::int32_t historyMax,
                           std::string shownPath)
    : files_(files),
      path_(std::move(path)),
      shownPath_(shownPath.empty() ? path_ : std::move(shownPath)),
      compare_(std::move(compare)),
      historyMax_(std::max(historyMax, 0)) {
    slots_.reserve(std::min(static_cast<std::size_t>(historyMax_), kMaxReserve));
}

THistoryList::~THistoryList() = default;

int THistoryList::CompareByDate(const THistory& a, const THistory& b) {
    if (a.Date < b.Date) return -1;
    if (b.Date < a.Date) return 1;
    return 0;
}

int THistoryList::CompareByFileName(const THistory& a, const THistory& b) const {
    return compare_(a.FileName, b.FileName);
}

THistory THistoryList::Entry(std::size_t index) const {
    const Slot& s = slots_.at(index);
    return {UnpackDate(s.date), s.version, std::string(s.name)};
}

std::vector<THistoryList::Slot> THistoryList::ParseSlots(std::string_view text) const {
    std::vector<Slot> slots;
    slots.reserve(std::max<std::size_t>(text.size() / 48, slots_.capacity()));
    ForEachLine(text, [&](std::string_view line) {
        if (auto f = ParseHistoryFields(line)) slots.push_back({PackDate(f->Date), f->Version, f->FileName});
        return true;
    });
    return slots;
}

void THistoryList::SortByFileName(std::vector<Slot>& slots) const {
    auto less = [this](const Slot& a, const Slot& b) { return compare_(a.name, b.name) < 0; };
    // A file written by this launcher is already in order; only a hand-edited one needs sorting.
    if (!std::is_sorted(slots.begin(), slots.end(), less)) std::stable_sort(slots.begin(), slots.end(), less);
    // One file, one entry: lookups bisect, and a second entry would come back
    // after the first is replaced. Of several (launchers of an older version,
    // a hand edit) the newest stays, the last in the file among equal dates.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (kept > 0 && compare_(slots[kept - 1].name, slots[i].name) == 0) {
            if (slots[i].date >= slots[kept - 1].date) slots[kept - 1] = slots[i];
        } else {
            slots[kept++] = slots[i];
        }
    }
    slots.resize(kept);
}

bool THistoryList::Trim(std::vector<Slot>& slots) const {
    if (slots.size() <= static_cast<std::size_t>(historyMax_)) return false;
    const std::size_t drop = slots.size() - static_cast<std::size_t>(historyMax_);
    // Rank by date, keeping the file-name order among equal dates, and drop the first ranks.
    std::vector<std::size_t> order(slots.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return slots[a].date < slots[b].date; });
    std::vector<bool> dropped(slots.size(), false);
    for (std::size_t i = 0; i < drop; ++i) dropped[order[i]] = true;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (!dropped[i]) slots[kept++] = slots[i];
    slots.resize(kept);
    return true;
}

int THistoryList::Find(const std::vector<Slot>& slots, std::string_view fileName) const {
    if (slots.empty()) return -1;
    std::size_t lo = 0, hi = slots.size() - 1;
    while (hi > lo) {
        const std::size_t mid = (lo + hi) / 2;
        const int r = compare_(slots[mid].name, fileName);
        if (r == 0) return static_cast<int>(mid);
        if (r < 0) lo = mid + 1;
        else hi = mid;
    }
    return compare_(slots[lo].name, fileName) == 0 ? static_cast<int>(lo) : -1;
}

void THistoryList::Put(std::vector<Slot>& slots, const Slot& slot) const {
    auto at = std::lower_bound(slots.begin(), slots.end(), slot,
                               [this](const Slot& a, const Slot& b) { return compare_(a.name, b.name) < 0; });
    if (at != slots.end() && compare_(at->name, slot.name) == 0) *at = slot;
    else slots.insert(at, slot);
}

std::string THistoryList::Format(const std::vector<Slot>& slots) const {
    std::string text;
    std::size_t size = 0;
    for (const Slot& s : slots) size += s.name.size() + 30;
    text.reserve(size);
    for (const Slot& s : slots) AppendHistoryLine(text, UnpackDate(s.date), s.version, s.name);
    return text;
}

int THistoryList::FindHistory(std::string_view fileName) const { return Find(slots_, fileName); }

void THistoryList::LoadHistory() {
    try {
        stamp_ = files_.Stamp(path_);
        if (stamp_.empty()) {
            if (files_.NonFileAt(path_)) throw NotAFile(shownPath_);
            return;
        }
        text_ = files_.ReadBytes(path_);
    } catch (const FileError&) {
        loadedWhole_ = false;
        throw;
    }
    slots_ = ParseSlots(text_->View());
    SortByFileName(slots_);
    TrimHistory();
}

void THistoryList::DeleteHistory(int index) {
    pendingRemoval_ = Entry(static_cast<std::size_t>(index));
    slots_.erase(slots_.begin() + index);
}

bool THistoryList::CanHold(std::string_view fileName) {
    // A line break would end the entry early and make the rest of the name
    // read back as entries of its own.
    return !fileName.empty() && fileName.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool THistoryList::AddHistory(const std::string& fileName, std::int32_t version, const LocalTime& now) {
    if (!CanHold(fileName)) return true;
    pendingAddition_ = THistory{now, version, fileName};
    Put(slots_, {PackDate(now), version, added_.emplace_back(fileName)});
    const bool nothingDropped = TrimHistory();
    if (nothingDropped) SaveHistory();
    return nothingDropped;
}

bool THistoryList::TrimHistory() {
    if (!Trim(slots_)) return true;
    SaveHistory();
    return false;
}

void THistoryList::SaveHistory() {
    if (!loadedWhole_)
        throw FileError("履歴ファイル [" + shownPath_ + "] を読み込めなかったため、上書きしません。");
    const auto lock = LockHistory(files_, path_, shownPath_);
    if (const std::string now = files_.Stamp(path_); now != stamp_) {
        // Another run wrote meanwhile (or removed the file): start from what it holds now.
        std::unique_ptr<FileBytes> text = now.empty() ? nullptr : files_.ReadBytes(path_);
        std::vector<Slot> merged = text ? ParseSlots(text->View()) : std::vector<Slot>{};
        SortByFileName(merged);
        if (pendingRemoval_)
            if (int i = Find(merged, pendingRemoval_->FileName); i >= 0) merged.erase(merged.begin() + i);
        if (pendingAddition_)
            Put(merged, {PackDate(pendingAddition_->Date), pendingAddition_->Version, added_.emplace_back(pendingAddition_->FileName)});
        Trim(merged);
        files_.WriteFileAtomic(path_, Format(merged));
        text_ = std::move(text);
        slots_ = std::move(merged);
    } else {
        files_.WriteFileAtomic(path_, Format(slots_));
    }
    stamp_ = files_.Stamp(path_);
    pendingRemoval_.reset();
    pendingAddition_.reset();
}

}  // namespace pivora
