#include "platform/interface/Layout.h"

namespace pivora::layout {

const Control* FindControl(const Form& form, std::string_view name) {
    for (const Control& c : form.controls)
        if (name == c.name) return &c;
    return nullptr;
}

const MenuItem* FindMenuItem(const Form& form, std::string_view name) {
    for (const MenuItem& m : form.menu)
        if (name == m.name) return &m;
    return nullptr;
}

Font EffectiveFont(const Form& form, const Control& control) {
    if (control.font.face) return control.font;
    if (control.parent)
        if (const Control* p = FindControl(form, control.parent); p && p != &control)
            return EffectiveFont(form, *p);
    return form.font;
}

}  // namespace pivora::layout
