// The program entry: create the windows in their order, then run the main
// window until it closes.
#include "Pivora.h"

#include "platform/interface/NativePlatform.h"

namespace pivora {

TProgram::TProgram(System& system, FileSystem& files, GuiBackend& gui)
    : App(system, files, gui),
      MainFm(App, Forms),
      DelphiRegDlg(App, MainFm.Settings.RegisteredPaths),
      AboutBox(App),
      ForceOpenVerSelDlg(App) {
    Forms.DelphiRegDlg = &DelphiRegDlg.Form();
    Forms.AboutBox = &AboutBox.Form();
    Forms.ForceOpenVerSelDlg = &ForceOpenVerSelDlg;
}

}  // namespace pivora

#ifndef PIVORA_NO_ENTRY
#include <cstdio>

int main(int argc, char** argv) {
    // Failures inside window events are reported by the default handler; this
    // catches only what could fail before the windows exist, when there is
    // nothing to show a box with yet.
    try {
        auto platform = pivora::CreateNativePlatform(argc, argv);
        pivora::TProgram program(platform->Sys(), platform->Files(), platform->Gui());
        return program.Run();
    } catch (...) {
        std::fprintf(stderr, "pivora: %s\n", pivora::FailureText(std::current_exception()).c_str());
    }
    return 3;
}
#endif
