// The four windows of the program, created once at start in this order. Menu
// commands reach the dialogs through it.
#pragma once

namespace pivora {

class TMainFm;
class TDelphiRegDlg;
class TAboutBox;
class TForceOpenVerSelDlg;

struct TForms {
    TMainFm* MainFm = nullptr;
    TDelphiRegDlg* DelphiRegDlg = nullptr;
    TAboutBox* AboutBox = nullptr;
    TForceOpenVerSelDlg* ForceOpenVerSelDlg = nullptr;
};

}  // namespace pivora
