#include "platform/fltk/FltkIcon.h"

// The project's headers come before FLTK's: fl_draw.H brings in Xlib, whose
// macros (None) and types (Font) would break them.
#include "platform/fltk/FltkScale.h"

#include <FL/Fl_PNG_Image.H>
#include <FL/Fl_Window.H>

#include <memory>
#include <vector>

namespace pivora::fltk {

void InstallWindowIcon() {
    static bool done = false;
    if (done) return;
    done = true;
    std::vector<std::unique_ptr<Fl_PNG_Image>> pictures;
    std::vector<int> sizes;
    for (int i = 0; i < kWindowIconCount; ++i) {
        auto png = std::make_unique<Fl_PNG_Image>(nullptr, kWindowIconPngs[i].bytes,
                                                  static_cast<int>(kWindowIconPngs[i].size));
        if (png->fail() != 0 || png->w() <= 0 || png->w() != png->h()) continue;
        sizes.push_back(png->w());
        pictures.push_back(std::move(png));
    }
    // Each size the density asks for, from the picture that fits it best;
    // FLTK keeps copies of the images it is given, so these may go.
    const std::vector<int> wanted = WindowIconSizes(DisplayScale());
    const std::vector<int> sources = IconSources(sizes, wanted);
    std::vector<std::unique_ptr<Fl_Image>> resized;
    std::vector<const Fl_RGB_Image*> icons;
    const Fl_RGB_Scaling before = Fl_Image::RGB_scaling();
    Fl_Image::RGB_scaling(FL_RGB_SCALING_BILINEAR);
    for (std::size_t k = 0; k < sources.size(); ++k) {
        Fl_PNG_Image* source = nullptr;
        for (std::size_t i = 0; i < sizes.size(); ++i)
            if (sizes[i] == sources[k]) source = pictures[i].get();
        if (!source) continue;
        if (source->w() == wanted[k]) {
            icons.push_back(source);
            continue;
        }
        resized.emplace_back(source->copy(wanted[k], wanted[k]));
        if (auto* rgb = dynamic_cast<Fl_RGB_Image*>(resized.back().get())) icons.push_back(rgb);
    }
    Fl_Image::RGB_scaling(before);
    if (!icons.empty()) Fl_Window::default_icons(icons.data(), static_cast<int>(icons.size()));
}

}  // namespace pivora::fltk
