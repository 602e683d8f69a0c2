// The dialog in which the user registers the IDE executable of each version.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "launcher/IdeDiscovery.h"
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
    // The IDEs found installed, which the dialog offers in its empty fields.
    TIdeDiscovery& Discovery() { return discovery_; }

private:
    void FormCreate();
    void FormShow();
    void ReferenceBtnClick();
    void FoundBtnClick();
    void OKBtnClick();
    void FillFields();
    void OfferFound();
    // The executable found for `version` in the system's bytes; null for none.
    const std::string* FoundFor(std::int32_t version) const;
    static std::string EditName(std::int32_t version);
    static std::string FoundButtonName(std::int32_t version);

    Application& app_;
    TRegisteredPaths& paths_;
    Window form_;
    TIdeDiscovery discovery_;
    std::map<std::int32_t, std::string> found_;
};

}  // namespace pivora
