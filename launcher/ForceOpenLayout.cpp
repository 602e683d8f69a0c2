// The version selection dialog as the form designer laid it out.
#include "launcher/ForceOpen.h"

namespace pivora {

namespace {

using namespace layout;

constexpr const char* kVersionItems[] = {"Delphi 2", "Delphi 3", "Delphi 4"};

constexpr Control kControls[] = {
    {.name = "OKBtn", .kind = Kind::Button, .left = 55, .top = 180, .width = 75, .height = 25,
     .caption = "OK", .tabOrder = 0, .isDefault = true, .modalResult = ModalResult::Ok, .onClick = "OKBtnClick"},
    {.name = "CancelBtn", .kind = Kind::Button, .left = 135, .top = 180, .width = 75, .height = 25,
     .caption = "キャンセル", .tabOrder = 1, .isCancel = true, .modalResult = ModalResult::Cancel},
    {.name = "StaticText1", .kind = Kind::StaticText, .left = 8, .top = 8, .width = 263, .height = 20,
     .caption = "Ｄｅｌｐｈｉのバージョンが判断出来ません", .tabOrder = 2},
    {.name = "StaticText2", .kind = Kind::StaticText, .left = 8, .top = 32, .width = 250, .height = 20,
     .caption = "起動するバージョンを選択して下さい", .tabOrder = 3},
    {.name = "VersionSelRg", .kind = Kind::RadioGroup, .left = 80, .top = 64, .width = 97, .height = 89,
     .caption = "Ｖｅｒｓｉｏｎ", .tabOrder = 4, .items = kVersionItems},
};

}  // namespace

const layout::Form kForceOpenVerSelDlgLayout{
    .name = "ForceOpenVerSelDlg",
    .caption = "起動バージョン選択",
    .left = 245, .top = 108, .clientWidth = 276, .clientHeight = 214,
    .border = Border::Dialog,
    .centerOnShow = true,
    .color = Color::ButtonFace,
    .font = {"ＭＳ Ｐ明朝", -16, false, false, Color::WindowText, Charset::ShiftJis},
    .onShow = "FormShow",
    .controls = kControls,
};

}  // namespace pivora
