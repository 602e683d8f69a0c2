// The program entry: create the windows in their order, then run the main
// window until it closes.
#include "Pivora.h"

#include "platform/NativePlatform.h"

namespace pivora {

TProgram::TProgram(System& system, FileSystem& files, GuiBackend& gui)
    : App(system, files, gui),
      MainFm(App, Forms),
      DelphiRegDlg(App, Forms),
      ForceOpenVerSelDlg(App) {
    Forms.ForceOpenVerSelDlg = &ForceOpenVerSelDlg;
}

}  // namespace pivora

#ifndef PIVORA_NO_ENTRY
int main(int argc, char** argv) {
    auto platform = pivora::CreateNativePlatform(argc, argv);
    pivora::TProgram program(platform->Sys(), platform->Files(), platform->Gui());
    return program.Run();
}
#endif
