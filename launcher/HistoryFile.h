// The text form of the launch history: one entry a line,
// "yyyy/mm/dd hh:nn:ss - VV file name", ended by CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/interface/System.h"

namespace pivora {

struct THistory {
    LocalTime Date;              // when the entry was added; not updated on reuse
    std::int32_t Version = 0;
    std::string FileName;        // exactly as the launcher received it
};

// The executable's path with its extension replaced by ".dat".
std::string HistoryFileName(const std::string& exePath);

// Nothing for a line that does not convert. The date is read in the order it is
// written (year first, whatever the locale), with any one character between its
// numbers; the version is the two characters after " - ", or a minus sign and
// two digits, which is how a negative version is written.
std::optional<THistory> ParseHistoryLine(std::string_view line);

// The same, with the file name left in the line: reading a large history
// allocates nothing per entry.
struct THistoryFields {
    LocalTime Date;
    std::int32_t Version = 0;
    std::string_view FileName;
};
std::optional<THistoryFields> ParseHistoryFields(std::string_view line);

// Dates packed into one number that orders as the dates do.
std::int64_t PackDate(const LocalTime& t);
LocalTime UnpackDate(std::int64_t packed);
std::string FormatHistoryLine(const THistory& entry);  // with its CR LF

// Every line that converts, in file order.
std::vector<THistory> ParseHistoryText(std::string_view text);
std::string FormatHistoryText(const std::vector<THistory>& entries);
void AppendHistoryLine(std::string& out, const LocalTime& date, std::int32_t version, std::string_view fileName);

}  // namespace pivora
