// The About box in a whole program run: what its labels show, read from the
// launcher's executable as the box is created at start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FlowHarness.h"

namespace pivora::testing {
namespace {

struct Captions {
    std::string product, version, copyright;
    layout::ModalResult closedWith = layout::ModalResult::None;
    bool operator==(const Captions&) const = default;
};

Captions Read(Window& box) {
    return {box.Text("ProductNameLbl"), box.Text("VersionLbl"), box.Text("CopyrightLbl")};
}

const Captions kLauncher{"Pivora", "Version 1.0.0.2", "Copyright (C) 2026 Pivora developers"};

// Opens the box from the menu `times` times, closing it with OK each time, and
// returns what each showing displayed.
std::vector<Captions> OpenFromMenu(FlowHarness& h, int times) {
    std::vector<Captions> seen;
    for (int i = 0; i < times; ++i)
        h.gui.OnModal("AboutBox", [&seen](Window& box) {
            seen.push_back(Read(box));
            box.Click("OKButton");
            seen.back().closedWith = box.ModalResult();
        });
    h.gui.OnMainWindow([&h, times](Window& main) {
        // The file is read once, at creation: a later showing does not read it again.
        h.sys.exePath = "/nonexistent/pivora";
        for (int i = 0; i < times; ++i) main.ChooseMenu("About1");
    });
    h.Run();
    return seen;
}

TEST(AboutBox, ShowsTheLaunchersOwnLinesAtEveryShowing) {
    FlowHarness h;
    h.sys.exePath = PIVORA_LAUNCHER_FILE;
    const auto seen = OpenFromMenu(h, 2);
    ASSERT_EQ(seen.size(), 2u);
    // OK, the default button, closed each showing.
    Captions closedByOk = kLauncher;
    closedByOk.closedWith = layout::ModalResult::Ok;
    EXPECT_EQ(seen[0], closedByOk);
    EXPECT_EQ(seen[1], closedByOk);
    EXPECT_EQ(h.gui.CountEvents("modal:AboutBox"), 2);
    EXPECT_TRUE(h.gui.messages.empty());
}

TEST(AboutBox, AnExecutableWithoutVersionInformationShowsTheVersionWordAlone) {
    FlowHarness h;  // its executable path names no file
    const auto seen = OpenFromMenu(h, 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], (Captions{"", "Version ", "", layout::ModalResult::Ok}));
    EXPECT_TRUE(h.gui.messages.empty());
}

TEST(AboutBox, IsFilledAlsoOnARunThatStartsAnIdeAtOnce) {
    FlowHarness h;
    h.sys.exePath = PIVORA_LAUNCHER_FILE;
    h.files.files["/p/Project1.dpr"] = "program Project1;\r\n";
    h.files.files["/p/Project1.dsk"] = "[Main Window]\r\nClientWidth=800\r\n";
    h.Register(4, "/ide/d4/delphi32");
    h.Args({"/p/Project1.dpr"});
    EXPECT_EQ(h.Run(), 0);
    ASSERT_EQ(h.sys.starts.size(), 1u) << (h.gui.messages.empty() ? "" : h.gui.messages[0].text);
    EXPECT_EQ(h.gui.CountEvents("modal:AboutBox"), 0);
    EXPECT_EQ(Read(h.program->AboutBox.Form()), kLauncher);
}

}  // namespace
}  // namespace pivora::testing
