// Turning a fuzz input into what a target needs: the input cut into parts at
// a separator byte (the files of one case, then the choices), and a reader of
// choices that never runs dry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pivora::fuzz {

// Exactly `count` parts: cut at the first count - 1 separators; the last part
// is the rest, separators and all (so a binary file can come last), and parts
// the input does not reach are empty. A plain file, with no separator, is the
// first part whole.
inline std::vector<std::string_view> SplitParts(std::string_view input, char separator, std::size_t count) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        const std::size_t at = input.find(separator);
        if (at == std::string_view::npos) break;
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + 1);
    }
    parts.push_back(input);
    parts.resize(count);
    return parts;
}

// Reads choices from bytes; once they run out, every choice is 0, so any
// input, however short, makes a whole case.
class ByteSource {
public:
    explicit ByteSource(std::string_view bytes) : bytes_(bytes) {}

    bool Empty() const { return bytes_.empty(); }
    std::uint8_t Byte() {
        if (bytes_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(bytes_.front());
        bytes_.remove_prefix(1);
        return b;
    }
    bool Bit() { return (Byte() & 1) != 0; }
    // 0 .. n - 1 (n > 0).
    std::size_t Below(std::size_t n) { return Byte() % n; }
    // Up to `max` bytes, as many as the next byte says.
    std::string Bytes(std::size_t max) {
        const std::size_t n = Below(max + 1);
        const std::string_view taken = bytes_.substr(0, n);
        bytes_.remove_prefix(taken.size());
        return std::string(taken);
    }

private:
    std::string_view bytes_;
};

}  // namespace pivora::fuzz
