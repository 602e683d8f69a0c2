#include "platform/fltk/FltkScale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pivora::fltk {

namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Floor division, for negative numerators too.
long long FloorDiv(long long a, long long b) {
    const long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

Scale& TheDisplayScale() {
    static Scale scale;
    return scale;
}

}  // namespace

int DpiFromResource(std::string_view value) {
    value = TrimBlanks(value);
    double dpi = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), dpi);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() || !std::isfinite(dpi))
        return kDesignDpi;
    if (dpi <= kDesignDpi) return kDesignDpi;
    if (dpi >= kMaxDpi) return kMaxDpi;
    return static_cast<int>(std::lround(dpi));
}

Scale::Scale(int dpi) : dpi_(std::clamp(dpi, kDesignDpi, kMaxDpi)) {}

int Scale::operator()(int designPixels) const {
    // v * dpi / 96 + 1/2, floored, in integers.
    return static_cast<int>(FloorDiv(2LL * designPixels * dpi_ + kDesignDpi, 2LL * kDesignDpi));
}

Rect Scale::operator()(const Rect& design) const {
    const int left = (*this)(design.x), top = (*this)(design.y);
    return {left, top, (*this)(design.x + design.w) - left, (*this)(design.y + design.h) - top};
}

const Scale& DisplayScale() { return TheDisplayScale(); }

void SetDisplayScale(int dpi) { TheDisplayScale() = Scale(dpi); }

std::vector<int> IconSources(const std::vector<int>& available, const std::vector<int>& wanted) {
    std::vector<int> sources;
    if (available.empty()) return sources;
    std::vector<int> sizes = available;
    std::sort(sizes.begin(), sizes.end());
    for (int size : wanted) {
        const auto larger = std::lower_bound(sizes.begin(), sizes.end(), size);
        sources.push_back(larger != sizes.end() ? *larger : sizes.back());
    }
    return sources;
}

std::vector<int> WindowIconSizes(const Scale& scale) { return {scale(16), scale(32), scale(64)}; }

}  // namespace pivora::fltk
