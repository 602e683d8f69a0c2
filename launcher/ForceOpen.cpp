#include "launcher/ForceOpen.h"

namespace pivora {

TForceOpenVerSelDlg::TForceOpenVerSelDlg(Application& app) : form_(app, kForceOpenVerSelDlgLayout) {
    form_.Bind("FormShow", [this] { FormShow(); });
    form_.Bind("OKBtnClick", [this] { OKBtnClick(); });
}

void TForceOpenVerSelDlg::FormShow() {
    SelectedVersion = 0;
    form_.BringToFront();
}

void TForceOpenVerSelDlg::OKBtnClick() {
    const int item = form_.ItemIndex("VersionSelRg");
    if (item >= 0) SelectedVersion = item + 2;
}

}  // namespace pivora
