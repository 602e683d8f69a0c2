#include "platform/win32/Win32Font.h"

#include <map>

#include "platform/win32/Win32Text.h"

namespace pivora {

namespace {

BYTE CharsetValue(layout::Charset charset) {
    switch (charset) {
        case layout::Charset::Ansi: return ANSI_CHARSET;
        case layout::Charset::ShiftJis: return SHIFTJIS_CHARSET;
        case layout::Charset::Default: break;
    }
    return DEFAULT_CHARSET;
}

int CALLBACK CountFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

bool Installed(HDC dc, const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.copy(wanted.lfFaceName, face.size());
    bool found = false;
    ::EnumFontFamiliesExW(dc, &wanted, &CountFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// A missing face falls, in Wine, to one font for everything: a fixed-pitch
// Japanese face, wider than the proportional ones the tables were laid out
// with, so that their texts no longer fit. The faces with the same metrics:
struct Alternatives {
    const wchar_t* face;
    const wchar_t* latin;
    const wchar_t* sameMetrics;
};
constexpr Alternatives kAlternatives[] = {
    {L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic"},
    {L"ＭＳ ゴシック", L"MS Gothic", L"IPAGothic"},
    {L"ＭＳ Ｐ明朝", L"MS PMincho", L"IPAPMincho"},
    {L"ＭＳ 明朝", L"MS Mincho", L"IPAMincho"},
    {L"Times New Roman", L"Times New Roman", L"Liberation Serif"},
};

std::wstring Lookup(const std::wstring& face) {
    HDC dc = ::GetDC(nullptr);
    if (!dc) return face;
    std::wstring chosen = face;
    if (!Installed(dc, face))
        for (const Alternatives& a : kAlternatives) {
            if (face != a.face && face != a.latin) continue;
            for (const wchar_t* other : {a.latin, a.sameMetrics})
                if (Installed(dc, other)) {
                    chosen = other;
                    break;
                }
            break;
        }
    ::ReleaseDC(nullptr, dc);
    return chosen;
}

}  // namespace

std::wstring InstalledFace(const std::wstring& face) {
    // Asked once a face: the windows are made on the one thread, and the
    // fonts installed do not change under a running launcher.
    static std::map<std::wstring, std::wstring> known;
    auto it = known.find(face);
    if (it == known.end()) it = known.emplace(face, Lookup(face)).first;
    return it->second;
}

HFONT CreateTableFont(const layout::Font& font, UINT dpi) {
    const std::wstring face = InstalledFace(WideFromUtf8(font.face ? font.face : ""));
    return ::CreateFontW(::MulDiv(font.height, static_cast<int>(dpi), 96), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                         font.italic, FALSE, FALSE, CharsetValue(font.charset), OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

}  // namespace pivora
