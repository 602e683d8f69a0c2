#include "platform/fltk/FltkStyle.h"

// The project's headers come before FLTK's: fl_draw.H brings in Xlib, whose
// macros (None) and types (Font) would break them.
#include "platform/fltk/FltkScale.h"
#include "platform/fltk/FltkText.h"

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <deque>
#include <map>
#include <string>

namespace pivora::fltk {

namespace {

// Windows 98's standard scheme, the look of the era the forms were drawn in.
constexpr unsigned char kFace[3] = {0xC0, 0xC0, 0xC0};

// The bevels' lines are Line() pixels wide: one at 96 dpi, as drawn there.
int Line() { return DisplayScale().Line(); }

void Fill(int x, int y, int w, int h, Fl_Color c) {
    if (w <= 0 || h <= 0) return;
    fl_color(c);
    fl_rectf(x, y, w, h);
}

void TopLeft(int x, int y, int w, int h, Fl_Color c) {
    const int t = Line();
    Fill(x, y, w - t, t, c);
    Fill(x, y, t, h - t, c);
}

void BottomRight(int x, int y, int w, int h, Fl_Color c) {
    const int t = Line();
    Fill(x, y + h - t, w, t, c);
    Fill(x + w - t, y, t, h, c);
}

// A push button: light and black outside, white and grey inside.
void ButtonFrame(int x, int y, int w, int h, Fl_Color) {
    const int t = Line();
    TopLeft(x, y, w, h, FaceColor());
    BottomRight(x, y, w, h, DarkShadowColor());
    TopLeft(x + t, y + t, w - 2 * t, h - 2 * t, HighlightColor());
    BottomRight(x + t, y + t, w - 2 * t, h - 2 * t, ShadowColor());
}
void ButtonBox(int x, int y, int w, int h, Fl_Color c) {
    const int t = Line();
    Fill(x + 2 * t, y + 2 * t, w - 4 * t, h - 4 * t, c);
    ButtonFrame(x, y, w, h, c);
}

// An edit field's client edge: grey and black outside-in at the top left.
void SunkenFrame(int x, int y, int w, int h, Fl_Color) {
    const int t = Line();
    TopLeft(x, y, w, h, ShadowColor());
    BottomRight(x, y, w, h, HighlightColor());
    TopLeft(x + t, y + t, w - 2 * t, h - 2 * t, DarkShadowColor());
    BottomRight(x + t, y + t, w - 2 * t, h - 2 * t, FaceColor());
}
void SunkenBox(int x, int y, int w, int h, Fl_Color c) {
    const int t = Line();
    Fill(x + 2 * t, y + 2 * t, w - 4 * t, h - 4 * t, c);
    SunkenFrame(x, y, w, h, c);
}

void RaisedFrame(int x, int y, int w, int h, Fl_Color) {
    TopLeft(x, y, w, h, HighlightColor());
    BottomRight(x, y, w, h, ShadowColor());
}
void RaisedBox(int x, int y, int w, int h, Fl_Color c) {
    const int t = Line();
    Fill(x + t, y + t, w - 2 * t, h - 2 * t, c);
    RaisedFrame(x, y, w, h, c);
}

void LoweredFrame(int x, int y, int w, int h, Fl_Color) {
    TopLeft(x, y, w, h, ShadowColor());
    BottomRight(x, y, w, h, HighlightColor());
}
void LoweredBox(int x, int y, int w, int h, Fl_Color c) {
    const int t = Line();
    Fill(x + t, y + t, w - 2 * t, h - 2 * t, c);
    LoweredFrame(x, y, w, h, c);
}

}  // namespace

void Outline(int x, int y, int w, int h, int t, Fl_Color c) {
    Fill(x, y, w, t, c);
    Fill(x, y + h - t, w, t, c);
    Fill(x, y, t, h, c);
    Fill(x + w - t, y, t, h, c);
}

namespace {

// The etched line of a group box: a grey line with a white one beside it.
void EtchedFrame(int x, int y, int w, int h, Fl_Color) {
    const int t = Line();
    if (w < 2 * t || h < 2 * t) return;
    Outline(x + t, y + t, w - t, h - t, t, HighlightColor());
    Outline(x, y, w - t, h - t, t, ShadowColor());
}
void EtchedBox(int x, int y, int w, int h, Fl_Color c) {
    const int t = Line();
    Fill(x + 2 * t, y + 2 * t, w - 4 * t, h - 4 * t, c);
    EtchedFrame(x, y, w, h, c);
}

void PlainLabelDraw(const Fl_Label* label, int x, int y, int w, int h, Fl_Align align) {
    fl_font(label->font, label->size);
    fl_color(static_cast<Fl_Color>(label->color));
    fl_draw(label->value, x, y, w, h, align, label->image, 0);
}

void PlainLabelMeasure(const Fl_Label* label, int& w, int& h) {
    fl_font(label->font, label->size);
    fl_measure(label->value, w, h, 0);
    if (label->image) {
        if (label->image->w() > w) w = label->image->w();
        h += label->image->h();
    }
}

// The font numbers handed out so far, by their FLTK name. FLTK keeps the name
// pointers for the life of the process, so neither the map nor the names are
// ever freed (nor destroyed at exit, while windows may still draw).
struct FontTable {
    std::map<std::string, Fl_Font> byName;
    std::deque<std::string> names;
    Fl_Font next = FL_FREE_FONT;
};

FontTable& Fonts() {
    static FontTable* table = new FontTable;
    return *table;
}

Fl_Font Register(const std::string& family, bool bold, bool italic) {
    // FLTK's Xft names carry the style in their first character.
    const char style = bold && italic ? 'P' : bold ? 'B' : italic ? 'I' : ' ';
    std::string name = style + family;
    FontTable& t = Fonts();
    if (auto it = t.byName.find(name); it != t.byName.end()) return it->second;
    const Fl_Font number = t.next++;
    t.names.push_back(name);
    Fl::set_font(number, t.names.back().c_str());
    t.byName.emplace(std::move(name), number);
    return number;
}

}  // namespace

Fl_Color FaceColor() { return fl_rgb_color(kFace[0], kFace[1], kFace[2]); }
Fl_Color HighlightColor() { return fl_rgb_color(0xFF, 0xFF, 0xFF); }
Fl_Color ShadowColor() { return fl_rgb_color(0x80, 0x80, 0x80); }
Fl_Color DarkShadowColor() { return fl_rgb_color(0x00, 0x00, 0x00); }

void InitStyle() {
    static bool done = false;
    if (done) return;
    done = true;

    Fl::background(kFace[0], kFace[1], kFace[2]);
    Fl::background2(0xFF, 0xFF, 0xFF);
    Fl::foreground(0x00, 0x00, 0x00);
    Fl::set_color(FL_SELECTION_COLOR, 0x00, 0x00, 0x80);  // the classic highlight

    // The insets are the bevels' widths: two lines or one.
    const int t = Line();
    const auto twoLines = [t](Fl_Boxtype type, Fl_Box_Draw_F* draw) { Fl::set_boxtype(type, draw, 2 * t, 2 * t, 4 * t, 4 * t); };
    const auto oneLine = [t](Fl_Boxtype type, Fl_Box_Draw_F* draw) { Fl::set_boxtype(type, draw, t, t, 2 * t, 2 * t); };
    twoLines(kButtonBox, ButtonBox);
    twoLines(kSunkenBox, SunkenBox);
    oneLine(kRaisedBox, RaisedBox);
    oneLine(kLoweredBox, LoweredBox);
    twoLines(kEtchedFrame, EtchedFrame);
    // FLTK's own windows (the file chooser) get the same bevels.
    twoLines(FL_UP_BOX, ButtonBox);
    twoLines(FL_UP_FRAME, ButtonFrame);
    twoLines(FL_DOWN_BOX, SunkenBox);
    twoLines(FL_DOWN_FRAME, SunkenFrame);
    oneLine(FL_THIN_UP_BOX, RaisedBox);
    oneLine(FL_THIN_UP_FRAME, RaisedFrame);
    oneLine(FL_THIN_DOWN_BOX, LoweredBox);
    oneLine(FL_THIN_DOWN_FRAME, LoweredFrame);
    twoLines(FL_ENGRAVED_BOX, EtchedBox);
    twoLines(FL_ENGRAVED_FRAME, EtchedFrame);

    Fl::set_labeltype(kPlainLabel, PlainLabelDraw, PlainLabelMeasure);

    // FLTK's default face, used by its own widgets and dialogs, must have
    // Japanese glyphs: Xft draws from one font without fallback.
    Fl::set_font(FL_HELVETICA, " IPAPGothic");
    Fl::set_font(FL_HELVETICA_BOLD, "BIPAPGothic");
    Fl::set_font(FL_HELVETICA_ITALIC, "IIPAPGothic");
    Fl::set_font(FL_HELVETICA_BOLD_ITALIC, "PIPAPGothic");
    // FLTK's own file chooser is built at 96-dpi sizes and then scaled whole.
    FL_NORMAL_SIZE = kUiFontSize;
    Fl::scrollbar_size(DisplayScale()(Fl::scrollbar_size()));

    // The file chooser speaks Japanese like the rest of the program.
    fl_ok = "OK";
    fl_cancel = "キャンセル";
    fl_yes = "はい";
    fl_no = "いいえ";
    fl_close = "閉じる";
    Fl_File_Chooser::add_favorites_label = "お気に入りに追加";
    Fl_File_Chooser::all_files_label = "すべてのファイル";
    Fl_File_Chooser::custom_filter_label = "フィルタ";
    Fl_File_Chooser::existing_file_label = "既存のファイルを選択して下さい。";
    Fl_File_Chooser::favorites_label = "お気に入り";
    Fl_File_Chooser::filename_label = "ファイル名:";
    Fl_File_Chooser::filesystems_label = "ファイルシステム";
    Fl_File_Chooser::manage_favorites_label = "お気に入りの整理";
    Fl_File_Chooser::new_directory_label = "新しいフォルダ名:";
    Fl_File_Chooser::new_directory_tooltip = "新しいフォルダを作成";
    Fl_File_Chooser::preview_label = "プレビュー";
    Fl_File_Chooser::save_label = "保存";
    Fl_File_Chooser::show_label = "種類:";  // the chooser leaves room for "Show:" only
    Fl_File_Chooser::hidden_label = "隠しファイルを表示";
    // GTK's chooser would be loaded into the process and set its locale.
    Fl::option(Fl::OPTION_FNFC_USES_GTK, false);
}

Fl_Font FontFor(const layout::Font& font, std::string_view text) {
    std::string family = XftFamily(font.face ? font.face : "");
    if (!FamilyHasJapanese(family) && !IsAscii(text)) family = JapaneseStandIn(family);
    return Register(family, font.bold, font.italic);
}

int FontSize(const layout::Font& font) { return DisplayScale()(FontPixelSize(font.height)); }

Fl_Color TextColor(layout::Color color) {
    switch (color) {
        case layout::Color::Purple: return fl_rgb_color(0x80, 0x00, 0x80);
        case layout::Color::ButtonFace: return FaceColor();
        case layout::Color::Default:
        case layout::Color::WindowText:
        case layout::Color::Black: break;
    }
    return FL_BLACK;
}

Fl_Color BackColor(layout::Color color) {
    switch (color) {
        case layout::Color::Purple: return fl_rgb_color(0x80, 0x00, 0x80);
        case layout::Color::Black:
        case layout::Color::WindowText: return FL_BLACK;
        case layout::Color::Default:
        case layout::Color::ButtonFace: break;
    }
    return FaceColor();
}

void ApplyLabelFont(Fl_Widget& widget, const layout::Font& font, std::string_view text) {
    widget.labelfont(FontFor(font, text));
    widget.labelsize(FontSize(font));
    widget.labelcolor(TextColor(font.color));
}

Fl_Font UiFont() { return Register("IPAPGothic", false, false); }

int UiFontSize() { return DisplayScale()(kUiFontSize); }

}  // namespace pivora::fltk
