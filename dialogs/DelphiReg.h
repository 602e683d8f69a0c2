// The dialog in which the user registers the IDE executable of each version.
#pragma once

#include <cstdint>
#include <string>

#include "launcher/Forms.h"
#include "platform/Window.h"

namespace pivora {

extern const layout::Form kDelphiRegDlgLayout;
extern const char* const kDelphiRegOpenDialogFilter;

class TDelphiRegDlg {
public:
    TDelphiRegDlg(Application& app, TForms& forms);

    Window& Form() { return form_; }

private:
    void FormCreate();
    void FormShow();
    void ReferenceBtnClick();
    void OKBtnClick();
    void FillFields();
    static std::string EditName(std::int32_t version);

    Application& app_;
    TForms& forms_;
    Window form_;
};

}  // namespace pivora
