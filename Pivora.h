// The program: its four windows, created once in their order, and the run of
// the main window. The entry point and the flow tests both use it.
#pragma once

#include "dialogs/AboutDlg.h"
#include "dialogs/DelphiReg.h"
#include "launcher/ForceOpen.h"
#include "launcher/Main.h"
#include "platform/interface/Application.h"

namespace pivora {

class TProgram {
public:
    TProgram(System& system, FileSystem& files, GuiBackend& gui);
    // Runs the main window until it closes; the process's exit status.
    int Run() { return App.Run(); }

    Application App;
    // What the main window opens, filled in once the dialogs exist.
    TForms Forms;
    // The main window reads the settings as it is created, so the dialogs
    // created after it see them.
    TMainFm MainFm;
    TDelphiRegDlg DelphiRegDlg;
    TAboutBox AboutBox;
    TForceOpenVerSelDlg ForceOpenVerSelDlg;
};

}  // namespace pivora
