#include "platform/win32/Win32InputBox.h"

#include <algorithm>
#include <cassert>

#include "platform/win32/Win32Font.h"
#include "platform/win32/Win32Text.h"

namespace pivora {

namespace {

using layout::Kind;

constexpr layout::Font kFont{"ＭＳ Ｐゴシック", -12, false, false, layout::Color::WindowText,
                             layout::Charset::ShiftJis};

// What the layout is reckoned from: the font's average character (its dialog
// units), its height, and the prompt's extent as its label draws it.
struct FontMeasure {
    int averageWidth;
    int height;
    SIZE prompt;
};

FontMeasure Measure(const std::wstring& prompt, UINT dpi) {
    const int scale = static_cast<int>(dpi);
    // Where nothing can be measured, the font's nominal size.
    FontMeasure m{::MulDiv(6, scale, 96), ::MulDiv(12, scale, 96), {0, ::MulDiv(12, scale, 96)}};
    HDC dc = ::GetDC(nullptr);
    if (!dc) return m;
    HFONT font = CreateTableFont(kFont, dpi);
    HGDIOBJ before = font ? ::SelectObject(dc, font) : nullptr;
    static const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    if (::GetTextExtentPoint32W(dc, kAlphabet, 52, &size) && size.cx > 0) m.averageWidth = (size.cx / 26 + 1) / 2;
    TEXTMETRICW tm{};
    if (::GetTextMetricsW(dc, &tm) && tm.tmHeight > 0) m.height = tm.tmHeight;
    // The label draws with the flags of a left-aligned static text, on one line.
    RECT r{0, 0, 0, 0};
    if (::DrawTextW(dc, prompt.c_str(), static_cast<int>(prompt.size()), &r,
                    DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_LEFT))
        m.prompt = SIZE{r.right - r.left, std::max<LONG>(r.bottom - r.top, m.height)};
    if (before) ::SelectObject(dc, before);
    if (font) ::DeleteObject(font);
    ::ReleaseDC(nullptr, dc);
    return m;
}

}  // namespace

InputBox::InputBox(const std::string& caption, const std::string& prompt, const std::string& initial)
    : caption_(caption), texts_{prompt, initial, "OK", "キャンセル"} {
    MeasureFor(96);
}

void InputBox::MeasureFor(UINT dpi) noexcept {
    FontMeasure m{};
    try {
        m = Measure(WideFromUtf8(texts_[kPrompt]), dpi);
    } catch (...) {
        // No memory for the prompt's wide text: measured without it.
        m = Measure(std::wstring(), dpi);
    }
    const int dx = m.averageWidth, dy = m.height;
    auto x = [dx](int units) { return ::MulDiv(units, dx, 4); };
    auto y = [dy](int units) { return ::MulDiv(units, dy, 8); };
    const int margin = x(8);
    const int width = std::max(x(180), static_cast<int>(m.prompt.cx) + 2 * margin);
    // Each row below the one above it, so that no text can reach the next row.
    const int promptTop = y(8), promptHeight = m.prompt.cy;
    const int editTop = promptTop + promptHeight + y(3), editHeight = y(12);
    const int buttonTop = editTop + editHeight + y(10), buttonWidth = x(50), buttonHeight = y(14);
    const int gap = x(4);
    const int buttonsLeft = (width - 2 * buttonWidth - gap) / 2;
    controls_ = {{
        {.name = "Prompt", .kind = Kind::Label, .left = margin, .top = promptTop, .width = width - 2 * margin,
         .height = promptHeight, .caption = texts_[kPrompt].c_str()},
        {.name = "Edit", .kind = Kind::Edit, .left = margin, .top = editTop, .width = width - 2 * margin,
         .height = editHeight, .caption = "", .tabOrder = 0},
        {.name = "OKButton", .kind = Kind::Button, .left = buttonsLeft, .top = buttonTop, .width = buttonWidth,
         .height = buttonHeight, .caption = texts_[kOk].c_str(), .tabOrder = 1, .isDefault = true,
         .modalResult = layout::ModalResult::Ok},
        {.name = "CancelButton", .kind = Kind::Button, .left = buttonsLeft + buttonWidth + gap, .top = buttonTop,
         .width = buttonWidth, .height = buttonHeight, .caption = texts_[kCancel].c_str(), .tabOrder = 2,
         .isCancel = true, .modalResult = layout::ModalResult::Cancel},
    }};
    form_ = layout::Form{.name = "InputQuery", .caption = caption_.c_str(), .clientWidth = width,
                         .clientHeight = buttonTop + buttonHeight + y(8), .border = layout::Border::Dialog,
                         .centerOnShow = true, .font = kFont, .activeControl = "Edit", .controls = controls_};
}

const std::string& InputBox::Caption(int control) const noexcept {
    assert(control >= 0 && control < static_cast<int>(texts_.size()));
    return texts_[static_cast<std::size_t>(control)];
}

void InputBox::UserEdited(int control, std::string text) noexcept {
    if (control == kEdit) texts_[kEdit] = std::move(text);
}

void InputBox::UserClicked(int control) noexcept {
    if (control < 0 || control >= static_cast<int>(controls_.size())) return;
    const auto r = controls_[static_cast<std::size_t>(control)].modalResult;
    if (r != layout::ModalResult::None) result_ = r;
}

}  // namespace pivora
