// The input box: a window of the launcher's own kind, whose table is measured
// from its font at the DPI it is shown at, in the units the system's own
// input boxes are laid out in (a quarter of the font's average character
// across, an eighth of its height down), and made wide enough for its prompt.
#pragma once

#include <array>
#include <string>

#include "platform/interface/Gui.h"
#include "platform/win32/Win32Window.h"

namespace pivora {

class InputBox final : public WindowModel, public MeasuredTable {
public:
    // The controls, in the table's order.
    enum : int { kPrompt, kEdit, kOk, kCancel };

    InputBox(const std::string& caption, const std::string& prompt, const std::string& initial);

    void MeasureFor(UINT dpi) noexcept override;

    const layout::Form& Layout() const noexcept override { return form_; }
    const std::string& Caption(int control) const noexcept override;
    int ItemIndex(int) const noexcept override { return -1; }
    layout::ModalResult ModalResult() const noexcept override { return result_; }
    bool Closed() const noexcept override { return false; }
    void UserEdited(int control, std::string text) noexcept override;
    void UserSelected(int, int) noexcept override {}
    void UserClicked(int control) noexcept override;
    void UserChoseMenu(int) noexcept override {}
    void UserDismissed() noexcept override { result_ = layout::ModalResult::Cancel; }

    const std::string& Text() const { return texts_[kEdit]; }

private:
    std::string caption_;
    std::array<std::string, 4> texts_;
    std::array<layout::Control, 4> controls_{};
    layout::Form form_{};
    layout::ModalResult result_ = layout::ModalResult::None;
};

}  // namespace pivora
