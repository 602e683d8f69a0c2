// The registration dialog as the form designer laid it out.
#include "dialogs/DelphiReg.h"

namespace pivora {

namespace {

using namespace layout;

constexpr Font kBrowseFont{"ＭＳ Ｐゴシック", -16, false, false, Color::WindowText, Charset::ShiftJis};
constexpr Font kFoundFont{"ＭＳ Ｐゴシック", -12, false, false, Color::WindowText, Charset::ShiftJis};

constexpr Control kControls[] = {
    {.name = "OKBtn", .kind = Kind::Button, .left = 119, .top = 188, .width = 75, .height = 25,
     .caption = "OK", .tabOrder = 0, .isDefault = true, .modalResult = ModalResult::Ok, .onClick = "OKBtnClick"},
    {.name = "CancelBtn", .kind = Kind::Button, .left = 199, .top = 188, .width = 75, .height = 25,
     .caption = "キャンセル", .font = {"ＭＳ Ｐゴシック", -13, false, false, Color::WindowText, Charset::ShiftJis},
     .tabOrder = 1, .isCancel = true, .modalResult = ModalResult::Cancel},
    {.name = "StaticText1", .kind = Kind::StaticText, .left = 8, .top = 16, .width = 68, .height = 20,
     .caption = "Delphi 2", .tabOrder = 2},
    {.name = "Delphi2Ed", .kind = Kind::Edit, .left = 8, .top = 35, .width = 329, .height = 24, .caption = "",
     .tabOrder = 3, .tag = 2},
    {.name = "StaticText2", .kind = Kind::StaticText, .left = 8, .top = 72, .width = 68, .height = 20,
     .caption = "Delphi 3", .tabOrder = 4},
    {.name = "Delphi3Ed", .kind = Kind::Edit, .left = 8, .top = 91, .width = 329, .height = 24, .caption = "",
     .tabOrder = 5, .tag = 3},
    {.name = "StaticText3", .kind = Kind::StaticText, .left = 8, .top = 128, .width = 68, .height = 20,
     .caption = "Delphi 4", .tabOrder = 6},
    {.name = "Delphi4Ed", .kind = Kind::Edit, .left = 8, .top = 147, .width = 329, .height = 24, .caption = "",
     .tabOrder = 7, .tag = 4},
    {.name = "Button1", .kind = Kind::Button, .left = 352, .top = 35, .width = 49, .height = 24,
     .caption = "参照...", .font = kBrowseFont, .tabOrder = 8, .tag = 2, .onClick = "ReferenceBtnClick"},
    {.name = "Button2", .kind = Kind::Button, .left = 352, .top = 91, .width = 49, .height = 24,
     .caption = "参照...", .font = kBrowseFont, .tabOrder = 9, .tag = 3, .onClick = "ReferenceBtnClick"},
    {.name = "Button3", .kind = Kind::Button, .left = 352, .top = 147, .width = 49, .height = 24,
     .caption = "参照...", .font = kBrowseFont, .tabOrder = 10, .tag = 4, .onClick = "ReferenceBtnClick"},
    // Above each field's right end, on its caption's line: takes the
    // executable found installed into the field (disabled where none was).
    {.name = "Found2Btn", .kind = Kind::Button, .left = 311, .top = 13, .width = 90, .height = 20,
     .caption = "検出値を使用", .font = kFoundFont, .tabOrder = 11, .tag = 2, .onClick = "FoundBtnClick"},
    {.name = "Found3Btn", .kind = Kind::Button, .left = 311, .top = 69, .width = 90, .height = 20,
     .caption = "検出値を使用", .font = kFoundFont, .tabOrder = 12, .tag = 3, .onClick = "FoundBtnClick"},
    {.name = "Found4Btn", .kind = Kind::Button, .left = 311, .top = 125, .width = 90, .height = 20,
     .caption = "検出値を使用", .font = kFoundFont, .tabOrder = 13, .tag = 4, .onClick = "FoundBtnClick"},
};

}  // namespace

const layout::Form kDelphiRegDlgLayout{
    .name = "DelphiRegDlg",
    .caption = "Ｄｅｌｐｈｉ登録",
    .left = 245, .top = 108, .clientWidth = 411, .clientHeight = 216,
    .border = Border::Dialog,
    .centerOnShow = true,
    .color = Color::ButtonFace,
    .font = {"ＭＳ 明朝", -16, false, false, Color::WindowText, Charset::ShiftJis},
    .onCreate = "FormCreate",
    // The fields are filled again at every showing, so they always show what is registered.
    .onShow = "FormShow",
    .controls = kControls,
};

// The file-open dialog of the browse buttons: one entry, description and pattern.
const char* const kDelphiRegOpenDialogFilter = "*.exe|*.exe";

}  // namespace pivora
