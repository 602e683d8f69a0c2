#include "launcher/HistoryFile.h"


#include "platform/formats/Convert.h"
#include "platform/formats/FileNames.h"
#include "platform/formats/TextLines.h"

namespace pivora {

namespace {

constexpr std::string_view kSeparator = " - ";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads 1 to `maxDigits` digits at `pos`.
bool ReadNumber(std::string_view s, std::size_t& pos, int maxDigits, int& value) {
    const std::size_t start = pos;
    value = 0;
    while (pos < s.size() && IsDigit(s[pos]) && pos - start < static_cast<std::size_t>(maxDigits))
        value = value * 10 + (s[pos++] - '0');
    return pos > start;
}

// One separator character between the numbers, whatever the locale wrote.
bool SkipSeparator(std::string_view s, std::size_t& pos) {
    if (pos >= s.size() || IsDigit(s[pos])) return false;
    ++pos;
    return true;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

std::optional<LocalTime> ParseDateTime(std::string_view s) {
    LocalTime t;
    std::size_t pos = 0;
    if (!ReadNumber(s, pos, 4, t.year) || !SkipSeparator(s, pos) || !ReadNumber(s, pos, 2, t.month) ||
        !SkipSeparator(s, pos) || !ReadNumber(s, pos, 2, t.day))
        return std::nullopt;
    if (pos < s.size()) {
        if (s[pos] != ' ') return std::nullopt;
        ++pos;
        if (!ReadNumber(s, pos, 2, t.hour) || !SkipSeparator(s, pos) || !ReadNumber(s, pos, 2, t.minute))
            return std::nullopt;
        if (pos < s.size() && (!SkipSeparator(s, pos) || !ReadNumber(s, pos, 2, t.second))) return std::nullopt;
    }
    if (pos != s.size()) return std::nullopt;
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
        t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

}  // namespace

std::string HistoryFileName(const std::string& exePath) { return ChangeFileExt(exePath, ".dat"); }

std::optional<THistory> ParseHistoryLine(std::string_view line) {
    auto fields = ParseHistoryFields(line);
    if (!fields) return std::nullopt;
    return THistory{fields->Date, fields->Version, std::string(fields->FileName)};
}

std::optional<THistoryFields> ParseHistoryFields(std::string_view line) {
    const std::size_t p = line.find(kSeparator);
    if (p == std::string_view::npos) return std::nullopt;
    THistoryFields entry;
    auto date = ParseDateTime(line.substr(0, p));
    if (!date) return std::nullopt;
    entry.Date = *date;
    const std::string_view rest = line.substr(p + kSeparator.size());
    std::size_t nameStart = 3;  // two characters of version and a blank
    // A negative version is written with three characters ("-05").
    if (rest.size() >= 3 && rest[0] == '-' && IsDigit(rest[1]) && IsDigit(rest[2])) {
        entry.Version = -((rest[1] - '0') * 10 + (rest[2] - '0'));
        nameStart = 4;
    } else {
        auto version = StrToInt(rest.substr(0, 2));
        if (!version || rest.size() < 2) return std::nullopt;
        entry.Version = *version;
    }
    if (rest.size() > nameStart) entry.FileName = rest.substr(nameStart);
    return entry;
}

namespace {

// At least `width` digits, as "%0*d" would write a number of 0 or more.
void AppendPadded(std::string& out, long long value, int width) {
    char digits[24];
    int n = 0;
    unsigned long long v = static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    for (int i = n; i < width; ++i) out += '0';
    while (n > 0) out += digits[--n];
}

}  // namespace

std::int64_t PackDate(const LocalTime& t) {
    return ((((static_cast<std::int64_t>(t.year) * 13 + t.month) * 32 + t.day) * 24 + t.hour) * 60 + t.minute) * 60 +
           t.second;
}

LocalTime UnpackDate(std::int64_t v) {
    LocalTime t;
    t.second = static_cast<int>(v % 60), v /= 60;
    t.minute = static_cast<int>(v % 60), v /= 60;
    t.hour = static_cast<int>(v % 24), v /= 24;
    t.day = static_cast<int>(v % 32), v /= 32;
    t.month = static_cast<int>(v % 13), v /= 13;
    t.year = static_cast<int>(v);
    return t;
}

// Formatted by hand: a history of a million lines is written at every addition.
void AppendHistoryLine(std::string& out, const LocalTime& date, std::int32_t version, std::string_view fileName) {
    AppendPadded(out, date.year, 4);
    out += '/';
    AppendPadded(out, date.month, 2);
    out += '/';
    AppendPadded(out, date.day, 2);
    out += ' ';
    AppendPadded(out, date.hour, 2);
    out += ':';
    AppendPadded(out, date.minute, 2);
    out += ':';
    AppendPadded(out, date.second, 2);
    out += " - ";
    // "%.2d": at least two digits after the sign, so -5 is "-05".
    if (version < 0) out += '-';
    AppendPadded(out, version < 0 ? -static_cast<long long>(version) : version, 2);
    out += ' ';
    out += fileName;
    out += "\r\n";
}

std::string FormatHistoryLine(const THistory& e) {
    std::string line;
    AppendHistoryLine(line, e.Date, e.Version, e.FileName);
    return line;
}

std::vector<THistory> ParseHistoryText(std::string_view text) {
    std::vector<THistory> entries;
    entries.reserve(text.size() / 48);  // a typical line is longer
    ForEachLine(text, [&](std::string_view line) {
        if (auto e = ParseHistoryLine(line)) entries.push_back(std::move(*e));
        return true;
    });
    return entries;
}

std::string FormatHistoryText(const std::vector<THistory>& entries) {
    std::string text;
    text.reserve(entries.size() * 64);
    for (const THistory& e : entries) AppendHistoryLine(text, e.Date, e.Version, e.FileName);
    return text;
}

}  // namespace pivora
