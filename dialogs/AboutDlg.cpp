#include "dialogs/AboutDlg.h"

#include "platform/interface/Application.h"

namespace pivora {

TAboutBox::TAboutBox(Application& app) : app_(app), form_(app, kAboutBoxLayout) {
    form_.Bind("FormCreate", [this] { FormCreate(); });
    form_.Fire(kAboutBoxLayout.onCreate);
}

// A file without a version block, or one that cannot be read, leaves the
// captions empty and the version line at "Version " alone; nothing is reported.
void TAboutBox::FormCreate() {
    const TVersion version(app_.Sys().ExePath());
    form_.SetText("ProductNameLbl", version.GetProductName());
    form_.SetText("VersionLbl", "Version " + version.GetFileVersion());
    form_.SetText("CopyrightLbl", version.GetLegalCopyright());
}

}  // namespace pivora
