// The one failure path: whatever a window's handler throws ends that handler
// and reaches the user in one error box, and the program goes on; nothing is
// thrown across the window seam; a window that cannot be shown is a result,
// not an exception; a name missing from a window's table stops the run.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "FlowHarness.h"

namespace pivora::testing {
namespace {

// A toolkit calls the model from C callbacks, and the Linux toolkit runs on a
// C++ runtime of its own: neither side may throw into the other.
TEST(WindowSeam, ThrowsNothingInEitherDirection) {
    using std::declval;
    using Text = const std::string&;
    static_assert(noexcept(declval<GuiBackend&>().CanShowWindows()));
    static_assert(noexcept(declval<GuiBackend&>().Realize(declval<WindowModel&>())));
    static_assert(noexcept(declval<GuiBackend&>().MessageBox(MsgType::Error, MsgButtons::Ok, declval<Text>())));
    static_assert(noexcept(declval<GuiBackend&>().InputQuery(declval<Text>(), declval<Text>(), declval<Text>())));
    static_assert(noexcept(declval<GuiBackend&>().OpenFile(declval<Text>(), declval<Text>())));
    static_assert(noexcept(declval<GuiBackend&>().RunMainWindow(declval<WindowModel&>(), declval<WindowPeer&>())));

    static_assert(noexcept(declval<WindowPeer&>().CaptionChanged(0)));
    static_assert(noexcept(declval<WindowPeer&>().ItemIndexChanged(0)));
    static_assert(noexcept(declval<WindowPeer&>().CueChanged(0)));
    static_assert(noexcept(declval<WindowPeer&>().EnabledChanged(0)));
    static_assert(noexcept(declval<WindowPeer&>().RunModal()));
    static_assert(noexcept(declval<WindowPeer&>().BringToFront()));
    static_assert(noexcept(declval<WindowPeer&>().Closed()));

    static_assert(noexcept(declval<WindowModel&>().Layout()));
    static_assert(noexcept(declval<WindowModel&>().Caption(0)));
    static_assert(noexcept(declval<WindowModel&>().ItemIndex(0)));
    static_assert(noexcept(declval<WindowModel&>().Cue(0)));
    static_assert(noexcept(declval<WindowModel&>().Enabled(0)));
    static_assert(noexcept(declval<WindowModel&>().ModalResult()));
    static_assert(noexcept(declval<WindowModel&>().Closed()));
    static_assert(noexcept(declval<WindowModel&>().UserEdited(0, declval<std::string>())));
    static_assert(noexcept(declval<WindowModel&>().UserSelected(0, 0)));
    static_assert(noexcept(declval<WindowModel&>().UserClicked(0)));
    static_assert(noexcept(declval<WindowModel&>().UserChoseMenu(0)));
    static_assert(noexcept(declval<WindowModel&>().UserDismissed()));

    // And the model's own way into the handlers catches everything.
    static_assert(noexcept(declval<Window&>().Fire("")));
}

// Not derived from std::exception, as a foreign library might throw.
struct ForeignFailure {};

constexpr const char* kUnforeseen = "予期しないエラーが発生したため、操作を中止しました。";

TEST(FailurePath, AFailureOfAnyKindInAMenuCommandIsOneErrorBoxAndTheProgramGoesOn) {
    FlowHarness h;
    h.gui.ExpectMessage(kUnforeseen);
    h.gui.ExpectMessage("ファイル [/x.ini] を開けません。");
    h.gui.OnMainWindow([](Window& w) {
        w.Bind("H1Click", [] { throw ForeignFailure{}; });
        w.ChooseMenu("H1");
        w.Bind("H1Click", [] { throw std::runtime_error("ファイル [/x.ini] を開けません。"); });
        w.ChooseMenu("H1");
        EXPECT_FALSE(w.Closed());
    });
    // The commands after the failures still work: the About box, then Exit.
    h.gui.OnModal("AboutBox", [](Window& box) { box.Click("OKButton"); });
    h.gui.OnMainWindow([](Window& w) { w.ChooseMenu("About1"); });
    h.gui.OnMainWindow([](Window& w) { w.ChooseMenu("Exit1"); });
    EXPECT_EQ(h.Run(), 0);
    ASSERT_EQ(h.gui.messages.size(), 2u);
    for (const auto& m : h.gui.messages) {
        EXPECT_EQ(m.type, MsgType::Error);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
    }
    EXPECT_EQ(h.gui.CountEvents("modal:AboutBox"), 1);
    EXPECT_EQ(h.gui.CountEvents("closed:MainFm"), 1);
}

TEST(FailurePath, AFailureInADialogsButtonEndsThatHandlerOnlyAndTheLaunchFlowGoesOn) {
    FlowHarness h;
    h.files.files["/p/Unit1.pas"] = "unit Unit1;";
    h.Register(3, "/ide/d3");
    h.Args({"/p/Unit1.pas"});
    h.gui.OnModal("ForceOpenVerSelDlg", [](Window& dlg) {
        // In place of the dialog's own OK handler, which would take the version.
        dlg.Bind("OKBtnClick", [] { throw ForeignFailure{}; });
        dlg.Select("VersionSelRg", 1);
        dlg.Click("OKBtn");
    });
    h.gui.ExpectMessage(kUnforeseen);
    EXPECT_EQ(h.Run(), 0);
    // The button had closed the dialog before its handler ran; without the
    // version the handler would have taken, nothing is started.
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_EQ(h.Panel(), "Delphi ?");
    EXPECT_EQ(h.gui.CountEvents("main:MainFm"), 1);
}

// A window of the test's own, with one handler for each event it has.
constexpr layout::Control kControls[] = {
    {.name = "OKBtn", .kind = layout::Kind::Button, .modalResult = layout::ModalResult::Ok},
};
constexpr layout::MenuItem kMenu[] = {{"Exit1", "終了(&X)"}};
const layout::Form kTestDlg{.name = "TestDlg", .caption = "テスト", .onShow = "FormShow",
                            .controls = kControls, .menu = kMenu};

TEST(FailurePath, WithoutADisplayAModalWindowIsNotShownAndItsShowEventDoesNotRun) {
    FakeSystem sys;
    MemoryFiles files;
    ScriptedGui gui;
    gui.canShowWindows = false;
    Application app(sys, files, gui);
    Window dlg(app, kTestDlg);
    int shows = 0;
    dlg.Bind("FormShow", [&shows] { ++shows; });
    EXPECT_EQ(dlg.ShowModal(), std::nullopt);
    EXPECT_EQ(shows, 0);
    EXPECT_EQ(dlg.Peer(), nullptr);  // nothing was realised either
    EXPECT_TRUE(gui.events.empty());
}

#if GTEST_HAS_DEATH_TEST
// A name the table does not have is the program's mistake: no box could help
// the user, and going on would act on some other control.
TEST(FailurePathDeathTest, ANameNotInTheTableStopsTheRunNamingIt) {
    FakeSystem sys;
    MemoryFiles files;
    ScriptedGui gui;
    Application app(sys, files, gui);
    Window dlg(app, kTestDlg);
    EXPECT_DEATH(dlg.Click("CancelBtn"), "no control named CancelBtn in TestDlg");
    EXPECT_DEATH(dlg.SetText("Caption", "x"), "no control named Caption in TestDlg");
    EXPECT_DEATH(dlg.ChooseMenu("Open1"), "no menu item named Open1 in TestDlg");
    // An index a backend hands over outside the table.
    EXPECT_DEATH(dlg.UserClicked(1), "no control named #1 in TestDlg");
    EXPECT_DEATH(dlg.UserChoseMenu(-1), "no menu item named #-1 in TestDlg");
    EXPECT_TRUE(gui.messages.empty());
}
#endif

}  // namespace
}  // namespace pivora::testing
