#include "platform/win32/Win32FileNameCompare.h"

#include <algorithm>
#include <climits>

#include "platform/win32/Win32Text.h"

namespace pivora {

namespace {

int Sign(int cstr) { return cstr == CSTR_LESS_THAN ? -1 : cstr == CSTR_GREATER_THAN ? 1 : 0; }

int Length(const std::wstring& s) { return static_cast<int>(std::min<std::size_t>(s.size(), INT_MAX)); }

using CompareStringOrdinalFn = int(WINAPI*)(LPCWCH, int, LPCWCH, int, BOOL);

// The file system's own case folding: ordinal, upper case by the system's
// table. CompareStringOrdinal does exactly that where it exists (Vista on).
int CompareAsFileSystem(const std::wstring& a, const std::wstring& b) {
    static const auto ordinal = reinterpret_cast<CompareStringOrdinalFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "CompareStringOrdinal")));
    if (ordinal) return Sign(ordinal(a.data(), Length(a), b.data(), Length(b), TRUE));
    std::wstring ua = a, ub = b;
    if (!ua.empty()) ::CharUpperBuffW(ua.data(), static_cast<DWORD>(ua.size()));
    if (!ub.empty()) ::CharUpperBuffW(ub.data(), static_cast<DWORD>(ub.size()));
    return ua < ub ? -1 : ua > ub ? 1 : 0;
}

}  // namespace

int CompareFileNamesIn(UINT codePage, LCID locale, std::string_view a, std::string_view b) {
    // The bytes are read as the file system's A functions read them, so two
    // names that convert to one wide name are one file.
    const std::wstring wa = WideFrom(a, codePage), wb = WideFrom(b, codePage);
    // The locale's order comes first, as the user expects a list of names to
    // run; where it sees no difference the file system's comparison decides,
    // since a linguistic comparison can take different names for equal. Being
    // a lexicographic pair of orders, the result is still a total order.
    const int linguistic = Sign(::CompareStringW(locale, NORM_IGNORECASE, wa.data(), Length(wa), wb.data(), Length(wb)));
    // (Where the two disagree, names the file system folds together but the
    // locale tells apart, the order wins: a bisected history must never see an
    // inconsistent comparison; the cost is at most a second entry for one file.)
    if (linguistic != 0) return linguistic;
    return CompareAsFileSystem(wa, wb);
}

int CompareFileNamesWindows(std::string_view a, std::string_view b) {
    return CompareFileNamesIn(CP_ACP, LOCALE_USER_DEFAULT, a, b);
}

}  // namespace pivora
