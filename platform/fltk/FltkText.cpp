#include "platform/fltk/FltkText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <set>

namespace pivora::fltk {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = s.find(sep);
        parts.push_back(s.substr(0, at));
        if (at == std::string_view::npos) return parts;
        s.remove_prefix(at + 1);
    }
}

bool SameAsciiNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool NameIs(const char* name, const char* wanted) {
    return name && wanted && std::strcmp(name, wanted) == 0;
}

}  // namespace

std::string StripCarriageReturns(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

std::string PastedLine(std::string_view pasted) {
    std::string line;
    line.reserve(pasted.size());
    for (char c : pasted)
        if (c != '\r' && c != '\n') line += c;
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    return line;
}

std::string FileChooserFilter(std::string_view windowsFilter) {
    if (windowsFilter.empty()) return {};
    const std::vector<std::string_view> parts = Split(windowsFilter, '|');
    std::string out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::vector<std::string> patterns;
        for (std::string_view p : Split(parts[i + 1], ';')) {
            p = Trim(p);
            if (p.empty()) continue;
            patterns.emplace_back(p == "*.*" ? std::string_view("*") : p);
        }
        if (patterns.empty()) continue;
        std::string pattern;
        if (patterns.size() == 1) {
            pattern = patterns.front();
        } else {
            pattern = "{";
            for (std::size_t k = 0; k < patterns.size(); ++k) pattern += (k ? "," : "") + patterns[k];
            pattern += "}";
        }
        std::string_view name = Trim(parts[i]);
        if (!name.empty() && name.back() == ')')
            if (const std::size_t open = name.rfind('('); open != std::string_view::npos)
                name = Trim(name.substr(0, open));
        std::string description;
        for (char c : name) {
            if (c == '(') description += "（";
            else if (c == ')') description += "）";
            else description += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
        }
        if (description.empty()) description = pattern;
        if (!out.empty()) out += '\t';
        out += description + " (" + pattern + ")";
    }
    return out;
}

std::string XftFamily(std::string_view windowsFace) {
    struct Entry {
        const char* windows;
        const char* family;
    };
    // Both the Japanese names the form designer stores and their Latin
    // spellings, since either may turn up in a table.
    static constexpr Entry kFaces[] = {
        {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS PGothic", "IPAPGothic"},
        {"ＭＳ ゴシック", "IPAGothic"},    {"MS Gothic", "IPAGothic"},
        {"ＭＳ Ｐ明朝", "IPAPMincho"},     {"MS PMincho", "IPAPMincho"},
        {"ＭＳ 明朝", "IPAMincho"},        {"MS Mincho", "IPAMincho"},
        {"MS UI Gothic", "IPAPGothic"},    {"Times New Roman", "Liberation Serif"},
        {"Arial", "Liberation Sans"},      {"MS Sans Serif", "Liberation Sans"},
        {"Courier New", "Liberation Mono"},
    };
    windowsFace = Trim(windowsFace);
    if (windowsFace.empty()) return "IPAPGothic";
    for (const Entry& e : kFaces)
        if (SameAsciiNoCase(windowsFace, e.windows)) return e.family;
    return std::string(windowsFace);
}

bool FamilyHasJapanese(std::string_view family) { return family.substr(0, 10) != "Liberation"; }

std::string JapaneseStandIn(std::string_view family) {
    if (family == "Liberation Serif") return "IPAPMincho";
    if (family == "Liberation Mono") return "IPAGothic";
    return "IPAPGothic";
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

namespace {

std::size_t Utf8Length(std::string_view s, std::size_t at) {
    const unsigned char c = static_cast<unsigned char>(s[at]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    // A broken sequence is taken byte by byte rather than running past the end.
    if (at + n > s.size()) return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[at + k]) & 0xC0) != 0x80) return 1;
    return n;
}

void WrapLine(std::string_view line, int maxWidth, const std::function<int(std::string_view)>& width,
              std::string& out) {
    while (!line.empty()) {
        if (width(line) <= maxWidth) {
            out += line;
            return;
        }
        // The longest prefix that fits, but always at least one character.
        std::size_t fit = Utf8Length(line, 0);
        while (fit < line.size()) {
            const std::size_t next = fit + Utf8Length(line, fit);
            if (width(line.substr(0, next)) > maxWidth) break;
            fit = next;
        }
        std::size_t cut = fit, resume = fit;
        if (fit < line.size()) {
            const std::size_t blank = line.substr(0, fit + 1).find_last_of(' ');
            if (blank != std::string_view::npos && blank > 0) cut = blank, resume = blank + 1;
        }
        out += line.substr(0, cut);
        line.remove_prefix(resume);
        if (!line.empty()) out += '\n';
    }
}

}  // namespace

std::string WrapText(std::string_view text, int maxWidth, const std::function<int(std::string_view)>& width) {
    std::string out;
    bool first = true;
    for (std::string_view line : Split(text, '\n')) {
        if (!first) out += '\n';
        first = false;
        WrapLine(line, maxWidth, width, out);
    }
    return out;
}

int FontPixelSize(int windowsHeight) {
    if (windowsHeight < 0) return -windowsHeight;
    if (windowsHeight == 0) return 12;
    // The cell of the faces drawn here is about 8/7 of their em.
    return std::max(1, static_cast<int>(std::lround(windowsHeight * 7.0 / 8.0)));
}

std::vector<Rect> RadioItemRects(int groupWidth, int groupHeight, int fontHeight, int count) {
    std::vector<Rect> rects;
    if (count <= 0) return rects;
    const int room = std::max(0, groupHeight - fontHeight - 5);
    const int itemHeight = room / count;
    const int top = fontHeight + 1 + (room % count) / 2;
    const int width = std::max(0, groupWidth - 10);
    for (int i = 0; i < count; ++i) rects.push_back({8, top + i * itemHeight, width, itemHeight});
    return rects;
}

const layout::Control* ResolvedParent(const layout::Form& form, const layout::Control& control) {
    if (!control.parent) return nullptr;
    const layout::Control* p = layout::FindControl(form, control.parent);
    if (!p || p == &control || p->kind != layout::Kind::Panel) return nullptr;
    // Follow the parent names upwards; meeting the control again means a circle.
    const layout::Control* up = p;
    for (std::size_t steps = 0; up && up->parent && steps <= form.controls.size(); ++steps) {
        up = layout::FindControl(form, up->parent);
        if (up == &control) return nullptr;
    }
    return p;
}

Rect FormRect(const layout::Form& form, const layout::Control& control) {
    Rect r{control.left, control.top, control.width, control.height};
    for (const layout::Control* p = ResolvedParent(form, control); p; p = ResolvedParent(form, *p)) {
        r.x += p->left;
        r.y += p->top;
    }
    return r;
}

std::vector<int> ChildrenInTabOrder(const layout::Form& form, const layout::Control* parent) {
    std::vector<int> children;
    for (std::size_t i = 0; i < form.controls.size(); ++i)
        if (ResolvedParent(form, form.controls[i]) == parent) children.push_back(static_cast<int>(i));
    std::stable_sort(children.begin(), children.end(), [&](int a, int b) {
        const int ta = form.controls[a].tabOrder, tb = form.controls[b].tabOrder;
        if ((ta < 0) != (tb < 0)) return tb < 0;
        return ta >= 0 && ta < tb;
    });
    return children;
}

namespace {

void PlanLevel(const layout::Form& form, const char* parent, std::set<int>& placed,
               std::vector<MenuCell>& cells) {
    int lastSibling = -1;  // the cell of the item before, in this menu
    for (std::size_t i = 0; i < form.menu.size(); ++i) {
        const layout::MenuItem& m = form.menu[i];
        const bool here = parent ? NameIs(m.parent, parent) : m.parent == nullptr;
        if (!here || placed.count(static_cast<int>(i))) continue;
        placed.insert(static_cast<int>(i));
        if (NameIs(m.caption, "-")) {
            if (lastSibling >= 0) cells[lastSibling].dividerAfter = true;
            continue;
        }
        bool hasChildren = false;
        for (const layout::MenuItem& c : form.menu)
            if (&c != &m && NameIs(c.parent, m.name)) hasChildren = true;
        lastSibling = static_cast<int>(cells.size());
        cells.push_back({static_cast<int>(i), hasChildren, false});
        if (hasChildren) {
            PlanLevel(form, m.name, placed, cells);
            cells.push_back({});
        }
    }
}

}  // namespace

std::vector<MenuCell> MenuPlan(const layout::Form& form) {
    std::vector<MenuCell> cells;
    std::set<int> placed;  // an item is placed once, even under two parents of one name
    PlanLevel(form, nullptr, placed, cells);
    return cells;
}

Rect PlaceWindow(int screenX, int screenY, int screenW, int screenH, int w, int h, bool centre, int left,
                 int top) {
    auto place = [](int start, int length, int size, int wanted) {
        if (size >= length) return start;
        return std::clamp(wanted, start, start + length - size);
    };
    if (centre) return {place(screenX, screenW, w, screenX + (screenW - w) / 2),
                        place(screenY, screenH, h, screenY + (screenH - h) / 2), w, h};
    return {place(screenX, screenW, w, left), place(screenY, screenH, h, top), w, h};
}

}  // namespace pivora::fltk
