// The dialog in which the user registers the IDE executable of each version.
#pragma once

#include <cstdint>
#include <string>

#include "launcher/Settings.h"
#include "platform/interface/Window.h"

namespace pivora {

extern const layout::Form kDelphiRegDlgLayout;
extern const char* const kDelphiRegOpenDialogFilter;

class TDelphiRegDlg {
public:
    // `paths` are the registrations the dialog shows and, on OK, replaces.
    TDelphiRegDlg(Application& app, TRegisteredPaths& paths);

    Window& Form() { return form_; }

private:
    void FormCreate();
    void FormShow();
    void ReferenceBtnClick();
    void OKBtnClick();
    void FillFields();
    static std::string EditName(std::int32_t version);

    Application& app_;
    TRegisteredPaths& paths_;
    Window form_;
};

}  // namespace pivora
