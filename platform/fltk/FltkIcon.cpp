#include "platform/fltk/FltkIcon.h"

#include <FL/Fl_PNG_Image.H>
#include <FL/Fl_Window.H>

#include <memory>
#include <vector>

namespace pivora::fltk {

void InstallWindowIcon() {
    static bool done = false;
    if (done) return;
    done = true;
    // FLTK keeps copies of the images it is given; these may go.
    std::vector<std::unique_ptr<Fl_PNG_Image>> images;
    std::vector<const Fl_RGB_Image*> decoded;
    for (int i = 0; i < kWindowIconCount; ++i) {
        auto png = std::make_unique<Fl_PNG_Image>(nullptr, kWindowIconPngs[i].bytes,
                                                  static_cast<int>(kWindowIconPngs[i].size));
        if (png->fail() != 0 || png->w() <= 0) continue;
        decoded.push_back(png.get());
        images.push_back(std::move(png));
    }
    if (!decoded.empty()) Fl_Window::default_icons(decoded.data(), static_cast<int>(decoded.size()));
}

}  // namespace pivora::fltk
