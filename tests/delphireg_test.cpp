// The registration dialog: what is registered, when it is written, and how a
// user backs out of it.
#include <gtest/gtest.h>

#include "FlowHarness.h"

namespace pivora::testing {
namespace {

class DelphiReg : public ::testing::Test {
protected:
    FlowHarness h;
    // Opens the dialog from the menu once for each action given.
    void Open(std::vector<ScriptedGui::Action> showings) {
        for (auto& a : showings) {
            h.gui.OnModal("DelphiRegDlg", std::move(a));
            h.gui.OnMainWindow([](Window& w) { w.UserChoseMenu(1); });  // Delphi1
        }
        h.Run();
    }
    static ScriptedGui::Action Type(std::map<int, std::string> fields, const char* button = "OKBtn") {
        return [fields, button](Window& dlg) {
            for (const auto& [v, text] : fields) dlg.UserEdited(IndexOf(dlg, v), text);
            dlg.Click(button);
        };
    }
    static int IndexOf(Window& dlg, int version) {
        const auto& controls = dlg.Layout().controls;
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (std::string(controls[i].name) == "Delphi" + std::to_string(version) + "Ed") return static_cast<int>(i);
        return -1;
    }
    std::string Ini() { return h.files.files[h.IniPath()]; }
};

TEST_F(DelphiReg, ExistingPathsAreRegisteredAndWrittenOnOk) {
    h.files.files["/ide/d2"] = "";
    h.files.files["/ide/d4"] = "";
    Open({Type({{2, "/ide/d2"}, {4, "/ide/d4"}})});
    EXPECT_TRUE(h.gui.messages.empty());
    EXPECT_EQ(Ini(), "[Pivora]\r\nTestMode=0\r\nHistoryMax=1000\r\n[DelphiReg]\r\n2=/ide/d2\r\n3=\r\n4=/ide/d4\r\n");
}

TEST_F(DelphiReg, MissingPathsAreWarnedAboutInOrderAndYesRegistersThem) {
    h.gui.messageAnswers = {MsgResult::Yes, MsgResult::Yes};
    Open({Type({{2, "/nowhere/d2"}, {4, "/nowhere/d4"}})});
    ASSERT_EQ(h.gui.messages.size(), 2u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Warning);
    EXPECT_EQ(h.gui.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(h.gui.messages[0].text,
              "Delphi 2 と指定された [/nowhere/d2] が見つかりません。\r\nこのまま登録しますか？");
    EXPECT_EQ(h.gui.messages[1].text,
              "Delphi 4 と指定された [/nowhere/d4] が見つかりません。\r\nこのまま登録しますか？");
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[2], "/nowhere/d2");
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[4], "/nowhere/d4");
}

TEST_F(DelphiReg, NoKeepsTheDialogOpenAndRegistersNothingUntilEveryFieldIsAccepted) {
    h.files.files["/ide/d2"] = "";
    h.Register(2, "/old/d2");
    h.gui.messageAnswers = {MsgResult::No, MsgResult::Yes, MsgResult::Yes};
    TMainFm* main = nullptr;
    Open({[&](Window& dlg) {
        main = h.program ? &h.Main() : nullptr;
        dlg.UserEdited(IndexOf(dlg, 2), "/ide/d2");
        dlg.UserEdited(IndexOf(dlg, 3), "/nowhere/d3");
        dlg.Click("OKBtn");
        EXPECT_EQ(dlg.ModalResult(), layout::ModalResult::None);  // still open
        EXPECT_EQ(main->Settings.RegisteredPaths[2], "/old/d2");  // nothing copied
        // Each OK checks again from version 2; version 2 exists, 3 is asked again.
        dlg.Click("OKBtn");
        EXPECT_EQ(dlg.ModalResult(), layout::ModalResult::Ok);
    }});
    ASSERT_EQ(h.gui.messages.size(), 2u);
    EXPECT_NE(h.gui.messages[1].text.find("Delphi 3"), std::string::npos);
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[2], "/ide/d2");
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[3], "/nowhere/d3");
}

TEST_F(DelphiReg, CancelAfterANoChangesNothingAndALaterSaveKeepsTheOldPaths) {
    h.Register(2, "/old/d2");
    h.files.files["/ide/d2"] = "";
    h.gui.messageAnswers = {MsgResult::No};
    h.gui.inputAnswers = {std::string("50")};
    h.gui.OnModal("DelphiRegDlg", [](Window& dlg) {
        dlg.UserEdited(3, "/ide/d2");         // Delphi2Ed
        dlg.UserEdited(5, "/nowhere/d3");     // Delphi3Ed
        dlg.Click("OKBtn");
        dlg.Click("CancelBtn");
    });
    h.gui.OnMainWindow([](Window& w) { w.UserChoseMenu(1); });
    h.gui.OnMainWindow([](Window& w) { w.UserChoseMenu(3); });  // then the size command saves
    h.Run();
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[2], "/old/d2");
    EXPECT_NE(Ini().find("2=/old/d2\r\n"), std::string::npos);
    EXPECT_NE(Ini().find("HistoryMax=50\r\n"), std::string::npos);
}

TEST_F(DelphiReg, FieldsShowWhatIsRegisteredEachTimeTheDialogOpens) {
    h.Register(4, "/ide/d4");
    std::vector<std::string> seen;
    Open({[&](Window& dlg) {
              seen.push_back(dlg.Text("Delphi4Ed"));
              dlg.UserEdited(IndexOf(dlg, 4), "/typed/but/cancelled");
              dlg.Click("CancelBtn");
          },
          [&](Window& dlg) {
              seen.push_back(dlg.Text("Delphi4Ed"));
              dlg.Click("CancelBtn");
          }});
    EXPECT_EQ(seen, (std::vector<std::string>{"/ide/d4", "/ide/d4"}));
    EXPECT_EQ(h.files.writes, 0);  // Cancel writes nothing
}

TEST_F(DelphiReg, ClearingAFieldUnregistersAndKeepsTheKey) {
    h.Register(3, "/ide/d3");
    Open({Type({{3, ""}})});
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[3], "");
    EXPECT_NE(Ini().find("3=\r\n"), std::string::npos);
}

TEST_F(DelphiReg, BlanksAreAPathLikeAnyOtherAndKeptAsTyped) {
    h.gui.messageAnswers = {MsgResult::Yes};
    Open({Type({{2, "   "}})});
    ASSERT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[2], "   ");
}

TEST_F(DelphiReg, BrowseOpensOnTheTypedPathAndTakesTheChoice) {
    h.files.files["/picked/delphi32"] = "";
    h.gui.openFileAnswers = {std::string("/picked/delphi32"), std::nullopt};
    Open({[](Window& dlg) {
        dlg.UserEdited(5, "/typed/d3");  // Delphi3Ed
        dlg.Click("Button2");            // its browse button
        EXPECT_EQ(dlg.Text("Delphi3Ed"), "/picked/delphi32");
        dlg.Click("Button3");            // cancelled: the field stays
        EXPECT_EQ(dlg.Text("Delphi4Ed"), "");
        dlg.Click("OKBtn");
    }});
    ASSERT_EQ(h.gui.openFileRequests.size(), 2u);
    EXPECT_EQ(h.gui.openFileRequests[0], (std::pair<std::string, std::string>{"*.exe|*.exe", "/typed/d3"}));
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[3], "/picked/delphi32");
}

TEST_F(DelphiReg, AFailedWriteIsReportedAndTheRegistrationStaysInMemory) {
    h.files.files["/ide/d4"] = "";
    h.files.failWrites.insert(h.IniPath());
    Open({Type({{4, "/ide/d4"}})});
    ASSERT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Error);
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[4], "/ide/d4");
}

}  // namespace
}  // namespace pivora::testing
