#include "platform/fltk/FltkFonts.h"

#include <FL/Fl.H>

#include <cstring>
#include <map>
#include <string>

namespace pivora::fltk {

namespace {

const char* FreeFace(const char* windowsFace) {
    struct Pair {
        const char* windows;
        const char* free;
    };
    static constexpr Pair kFaces[] = {
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
        {"ＭＳ Ｐ明朝", "IPAPMincho"},
        {"ＭＳ 明朝", "IPAMincho"},
        {"ＭＳ ゴシック", "IPAGothic"},
        {"Times New Roman", "Liberation Serif"},
    };
    if (windowsFace)
        for (const Pair& p : kFaces)
            if (std::strcmp(p.windows, windowsFace) == 0) return p.free;
    return "IPAPGothic";
}

// FLTK's Xft names carry the style in their first character: ' ' plain,
// 'B' bold, 'I' italic, 'P' bold italic.
Fl_Font Register(const std::string& name) {
    static std::map<std::string, Fl_Font> registered;
    static Fl_Font next = FL_FREE_FONT;
    auto it = registered.find(name);
    if (it != registered.end()) return it->second;
    const Fl_Font id = next++;
    Fl::set_font(id, registered.emplace(name, id).first->first.c_str());
    return id;
}

}  // namespace

Fl_Color MapColor(layout::Color color, Fl_Color fallback) {
    switch (color) {
        case layout::Color::Black:
        case layout::Color::WindowText: return FL_BLACK;
        case layout::Color::Purple: return fl_rgb_color(128, 0, 128);
        case layout::Color::ButtonFace: return FL_BACKGROUND_COLOR;
        case layout::Color::Default: break;
    }
    return fallback;
}

FltkFont MapFont(const layout::Font& font) {
    const char style = font.bold ? (font.italic ? 'P' : 'B') : (font.italic ? 'I' : ' ');
    std::string name(1, style);
    name.append(FreeFace(font.face));
    const Fl_Font face = Register(name);
    // A negative height is the character height without internal leading, which
    // is what an Xft pixel size gives; a positive one includes the leading.
    int size = font.height < 0 ? -font.height : (font.height * 7 + 4) / 8;
    if (size == 0) size = 12;
    return {face, static_cast<Fl_Fontsize>(size), MapColor(font.color, FL_BLACK)};
}

}  // namespace pivora::fltk
