// The windows the main window opens, wired by the program entry once all of
// them exist (they are created after the main window, whose settings they
// read). The dialogs are reached as windows only, so that this folder needs
// none of theirs.
#pragma once

namespace pivora {

class Window;
class TForceOpenVerSelDlg;

struct TForms {
    // ファイル › Delphi登録: on OK it has already written the registered paths.
    Window* DelphiRegDlg = nullptr;
    Window* AboutBox = nullptr;
    TForceOpenVerSelDlg* ForceOpenVerSelDlg = nullptr;
};

}  // namespace pivora
