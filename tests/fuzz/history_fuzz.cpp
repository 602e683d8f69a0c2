// libFuzzer target for the launch history's loader and saver (THistoryList
// over files in memory).
//
// Input: the history file, then optionally 0xFF and the file as another run
// rewrote it meanwhile, then 0xFF and the choices (limit, name order, what to
// add or forget). 0xFF is no byte of a UTF-8 or Shift-JIS name. Without
// choices, the file's own bytes are the choices, so a plain history file is a
// whole case.
//
// Held: any bytes load; after a load each name is there once, in order; what
// is saved loads back as the same entries, and is loaded without being
// rewritten. Adding a name a line cannot hold (a line break or NUL in it, or
// no name at all) changes nothing; any other is then in the file exactly
// once, as given, beside every entry the file held (less one forgotten by
// this run), the oldest dropped first when over the limit, whether or not
// another run wrote in between; and the run holds what the file holds.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/History.h"
#include "tests/scripted/MemoryFiles.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using namespace pivora;
using fuzz::ByteSource;
using fuzz::Require;
using fuzz::Shown;

constexpr const char* kDat = "/opt/pivora/pivora.dat";

int ByteWise(std::string_view a, std::string_view b) { return a.compare(b); }

// As Windows compares names, for ASCII letters.
int IgnoringCase(std::string_view a, std::string_view b) {
    const auto fold = [](char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c); };
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return fold(a[i]) < fold(b[i]) ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool Same(const THistory& a, const THistory& b) {
    return a.Date == b.Date && a.Version == b.Version && a.FileName == b.FileName;
}

std::string Describe(const std::vector<THistory>& entries) {
    std::string out;
    for (const THistory& e : entries) {
        out += "\n  ";
        out += std::to_string(e.Version) + " " + Shown(e.FileName);
    }
    return out;
}

std::vector<THistory> EntriesOf(const THistoryList& list) {
    std::vector<THistory> entries;
    for (std::size_t i = 0; i < list.Count(); ++i) entries.push_back(list.Entry(i));
    return entries;
}

// What a fresh run loads from the file as it is now, without touching `files`.
std::vector<THistory> FreshLoad(const MemoryFiles& files, FileNameCompare compare, std::int32_t max) {
    MemoryFiles copy;
    copy.files = files.files;
    THistoryList list(copy, kDat, std::move(compare), max);
    list.LoadHistory();
    return EntriesOf(list);
}

void RequireOrderedAndUnique(const std::vector<THistory>& entries, const FileNameCompare& compare, const char* when) {
    for (std::size_t i = 1; i < entries.size(); ++i)
        Require(compare(entries[i - 1].FileName, entries[i].FileName) < 0, [&] {
            return std::string(when) + ": names out of order or twice: " + Shown(entries[i - 1].FileName) + ", " +
                   Shown(entries[i].FileName) + Describe(entries);
        });
}

void RequireSame(const std::vector<THistory>& got, const std::vector<THistory>& want, const char* what) {
    bool same = got.size() == want.size();
    for (std::size_t i = 0; same && i < got.size(); ++i) same = Same(got[i], want[i]);
    Require(same, [&] { return std::string(what) + ":" + Describe(got) + "\nwhere expected:" + Describe(want); });
}

// `kept` is `all` after dropping down to `max` entries, the oldest first.
void RequireTrimmed(const std::vector<THistory>& kept, const std::vector<THistory>& all, std::size_t max,
                    const FileNameCompare& compare) {
    if (all.size() <= max) return RequireSame(kept, all, "the file after adding");
    Require(kept.size() == max, [&] { return "trimmed to " + std::to_string(kept.size()) + " entries, not " + std::to_string(max); });
    LocalTime oldestKept{INT_MAX};
    for (const THistory& k : kept) {
        bool found = false;
        for (const THistory& a : all) found = found || Same(a, k);
        Require(found, [&] { return "the trimmed file holds an entry it never had: " + Shown(k.FileName); });
        if (k.Date < oldestKept) oldestKept = k.Date;
    }
    for (const THistory& a : all) {
        bool kept_ = false;
        for (const THistory& k : kept) kept_ = kept_ || compare(k.FileName, a.FileName) == 0;
        Require(kept_ || !(oldestKept < a.Date), [&] { return "a newer entry was dropped before an older one: " + Shown(a.FileName); });
    }
}

LocalTime ChooseTime(ByteSource& in) {
    LocalTime t;
    t.year = 1 + static_cast<int>((in.Byte() << 8 | in.Byte()) % 9999);
    t.month = 1 + static_cast<int>(in.Below(12));
    t.day = 1 + static_cast<int>(in.Below(28));
    t.hour = static_cast<int>(in.Below(24));
    t.minute = static_cast<int>(in.Below(60));
    t.second = static_cast<int>(in.Below(60));
    return t;
}

// An existing name (as spelled, or in the other letter case), or new bytes,
// sometimes with a line break or a NUL in them.
std::string ChooseName(ByteSource& in, const std::vector<THistory>& loaded) {
    const std::size_t how = in.Below(4);
    if (how < 2 && !loaded.empty()) {
        std::string name = loaded[in.Below(loaded.size())].FileName;
        if (how == 1)
            for (char& c : name)
                if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) c = static_cast<char>(c ^ 0x20);
        return name;
    }
    std::string name = in.Bytes(40);
    if (in.Below(4) == 0) {
        static constexpr std::string_view kCannotHold[] = {"\r", "\n", "\r\n", std::string_view("\0", 1)};
        name.insert(in.Below(name.size() + 1), kCannotHold[in.Below(4)]);
    }
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::SplitParts(std::string_view(reinterpret_cast<const char*>(data), size), '\xFF', 3);
    ByteSource in(parts[2].empty() ? parts[0] : parts[2]);
    const std::int32_t max = in.Bit() ? static_cast<std::int32_t>(in.Below(5)) : 1000;
    const FileNameCompare compare = in.Bit() ? FileNameCompare(IgnoringCase) : FileNameCompare(ByteWise);

    MemoryFiles files;
    if (!parts[0].empty() || in.Bit()) files.files[kDat] = std::string(parts[0]);

    // Load, save, load again.
    THistoryList run(files, kDat, compare, max);
    run.LoadHistory();
    const std::vector<THistory> loaded = EntriesOf(run);
    RequireOrderedAndUnique(loaded, compare, "after a load");
    Require(loaded.size() <= static_cast<std::size_t>(max), "a load left more entries than the limit");
    run.SaveHistory();
    const std::string saved = files.files[kDat];
    const int writes = files.writes;
    {
        THistoryList again(files, kDat, compare, max);
        again.LoadHistory();
        RequireSame(EntriesOf(again), loaded, "the saved file loads back as");
        Require(files.writes == writes, "a file the launcher saved was rewritten when loaded");
        again.SaveHistory();
        Require(files.files[kDat] == saved, [&] { return "saved twice, written differently: " + Shown(saved) + " then " + Shown(files.files[kDat]); });
    }

    // Forget one (a Ctrl start), let another run write meanwhile, then add one.
    std::string forgotten;
    const bool forget = in.Bit() && run.Count() > 0;
    if (forget) {
        const int index = static_cast<int>(in.Below(run.Count()));
        forgotten = run.Entry(static_cast<std::size_t>(index)).FileName;
        run.DeleteHistory(index);
    }
    if (in.Bit()) {
        if (parts[1].empty() && in.Bit()) files.files.erase(kDat);
        else files.files[kDat] = std::string(parts[1]);
    }
    std::vector<THistory> expected = files.FileExists(kDat) ? FreshLoad(files, compare, INT32_MAX) : std::vector<THistory>{};
    if (forget) std::erase_if(expected, [&](const THistory& e) { return compare(e.FileName, forgotten) == 0; });

    const std::string name = ChooseName(in, loaded);
    const auto version = static_cast<std::int32_t>(in.Below(199)) - 99;  // the two digits of a line hold -99..99
    const LocalTime now = ChooseTime(in);
    const bool holdable = !name.empty() && name.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
    Require(THistoryList::CanHold(name) == holdable, [&] { return "CanHold is wrong about " + Shown(name); });

    const auto before = files.files;
    const std::size_t countBefore = run.Count();
    run.AddHistory(name, version, now);
    if (!holdable) {
        Require(files.files == before && run.Count() == countBefore, [&] { return "a name a line cannot hold changed the history: " + Shown(name); });
        return 0;
    }
    // The entry once, as given, in name order: in place of one of its name, if any.
    const THistory added{now, version, name};
    auto at = std::lower_bound(expected.begin(), expected.end(), name,
                               [&](const THistory& e, const std::string& n) { return compare(e.FileName, n) < 0; });
    if (at != expected.end() && compare(at->FileName, name) == 0) *at = added;
    else expected.insert(at, added);

    const std::vector<THistory> result = FreshLoad(files, compare, max);
    RequireOrderedAndUnique(result, compare, "after adding");
    RequireTrimmed(result, expected, static_cast<std::size_t>(max), compare);
    RequireSame(EntriesOf(run), result, "the run holds other entries than its file");
    return 0;
}
