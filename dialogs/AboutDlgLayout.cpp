// The About box as the form designer laid it out.
#include "dialogs/AboutDlg.h"

namespace pivora {

namespace {

using namespace layout;

constexpr Control kControls[] = {
    {.name = "Panel1", .kind = Kind::Panel, .left = 8, .top = 8, .width = 425, .height = 137, .caption = "",
     .tabOrder = 0, .bevel = Bevel::Lowered},
    {.name = "ProductNameLbl", .kind = Kind::Label, .parent = "Panel1", .left = 8, .top = 16, .width = 409,
     .height = 65, .caption = "", .font = {"ＭＳ Ｐ明朝", -64, true, true, Color::Purple, Charset::ShiftJis},
     .align = Align::Center},
    // Ten pixels high under a twelve-pixel font, as designed: the descenders are clipped.
    {.name = "VersionLbl", .kind = Kind::Label, .parent = "Panel1", .left = 8, .top = 87, .width = 409,
     .height = 10, .caption = "", .align = Align::Center},
    {.name = "CopyrightLbl", .kind = Kind::Label, .parent = "Panel1", .left = 8, .top = 110, .width = 409,
     .height = 14, .caption = "", .align = Align::Center},
    {.name = "OKButton", .kind = Kind::Button, .left = 187, .top = 151, .width = 64, .height = 33, .caption = "OK",
     .font = {"ＭＳ Ｐゴシック", -12, false, false, Color::Black, Charset::Default}, .tabOrder = 1,
     .isDefault = true, .modalResult = ModalResult::Ok},
};

}  // namespace

const layout::Form kAboutBoxLayout{
    .name = "AboutBox",
    .caption = "ﾊﾞｰｼﾞｮﾝ情報",
    .left = 243, .top = 108, .clientWidth = 439, .clientHeight = 186,
    .border = Border::Dialog,
    .centerOnShow = true,
    .color = Color::ButtonFace,
    .font = {"ＭＳ Ｐゴシック", -12, false, false, Color::Black, Charset::ShiftJis},
    .activeControl = "OKButton",
    .onCreate = "FormCreate",
    .controls = kControls,
};

}  // namespace pivora
