// The program entry: create the windows in their order, then run the main
// window until it closes.
#include "Pivora.h"

#include "platform/NativePlatform.h"

namespace pivora {

TProgram::TProgram(System& system, FileSystem& files, GuiBackend& gui)
    : App(system, files, gui),
      MainFm(App, Forms),
      DelphiRegDlg(App, Forms),
      AboutBox(App, Forms),
      ForceOpenVerSelDlg(App) {
    Forms.ForceOpenVerSelDlg = &ForceOpenVerSelDlg;
}

}  // namespace pivora

#ifndef PIVORA_NO_ENTRY
#include <cstdio>

int main(int argc, char** argv) {
    // Failures inside window events are reported by the default handler; this
    // catches only what could fail before or after the windows exist.
    try {
        auto platform = pivora::CreateNativePlatform(argc, argv);
        pivora::TProgram program(platform->Sys(), platform->Files(), platform->Gui());
        return program.Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pivora: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "pivora: unexpected failure\n");
    }
    return 3;
}
#endif
