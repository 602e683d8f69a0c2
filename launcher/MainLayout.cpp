// The main window as the form designer laid it out.
#include "launcher/Main.h"

namespace pivora {

namespace {

using namespace layout;

constexpr Font kFormFont{"ＭＳ Ｐゴシック", -12, false, false, Color::WindowText, Charset::ShiftJis};

constexpr Control kControls[] = {
    {.name = "DelphiVPnl", .kind = Kind::Panel, .left = 8, .top = 8, .width = 233, .height = 105,
     .caption = "Delphi 4", .font = {"Times New Roman", -48, true, false, Color::WindowText, Charset::Ansi},
     .tabOrder = 0, .align = Align::Center, .bevel = Bevel::Raised},
};

constexpr MenuItem kMenu[] = {
    {"File1", "ファイル(&F)"},
    {"Delphi1", "Delphi登録(&R)...", "File1", "Delphi1Click"},
    {"S1", "システム設定(&S)", "File1"},
    {"H1", "起動履歴登録数(&H)...", "S1", "H1Click"},
    {"N1", "-", "File1"},
    {"Exit1", "終了(&X)", "File1", "Exit1Click"},
    {"About1", "バージョン情報(&A)...", nullptr, "About1Click"},
};

}  // namespace

const layout::Form kMainFmLayout{
    .name = "MainFm",
    .caption = "Pivora",
    .left = 196, .top = 107, .clientWidth = 252, .clientHeight = 122,
    .border = Border::Single,
    .centerOnShow = false,
    .color = Color::ButtonFace,
    .font = kFormFont,
    .onCreate = "FormCreate",
    .onShow = "FormShow",
    .onCloseQuery = "FormCloseQuery",
    .controls = kControls,
    .menu = kMenu,
};

}  // namespace pivora
