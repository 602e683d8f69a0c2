// The dialog in which the user picks the IDE version when it cannot be told
// (or when Ctrl was held at start).
#pragma once

#include <cstdint>

#include "platform/interface/Window.h"

namespace pivora {

extern const layout::Form kForceOpenVerSelDlgLayout;

class TForceOpenVerSelDlg {
public:
    explicit TForceOpenVerSelDlg(Application& app);

    Window& Form() { return form_; }
    // 2, 3 or 4 after OK with a version chosen; 0 otherwise.
    std::int32_t SelectedVersion = 0;

private:
    void FormShow();
    void OKBtnClick();

    Window form_;
};

}  // namespace pivora
