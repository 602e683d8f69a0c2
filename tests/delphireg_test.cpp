// The registration dialog: what is registered, when it is written, and how a
// user backs out of it.
#include <gtest/gtest.h>

#include "FlowHarness.h"
#include "tests/scripted/ScriptedSearch.h"

namespace pivora::testing {
namespace {

class DelphiReg : public ::testing::Test {
protected:
    FlowHarness h;
    // Opens the dialog from the menu once for each action given.
    void Open(std::vector<ScriptedGui::Action> showings) {
        for (auto& a : showings) {
            h.gui.OnModal("DelphiRegDlg", std::move(a));
            h.gui.OnMainWindow([](Window& w) { w.ChooseMenu("Delphi1"); });
        }
        h.Run();
    }
    static ScriptedGui::Action Type(std::map<int, std::string> fields, const char* button = "OKBtn") {
        return [fields, button](Window& dlg) {
            for (const auto& [v, text] : fields) dlg.Edit(Field(v), text);
            dlg.Click(button);
        };
    }
    static std::string Field(int version) { return "Delphi" + std::to_string(version) + "Ed"; }
    static std::string Warning(int version, const std::string& path) {
        return "Delphi " + std::to_string(version) + " と指定された [" + path +
               "] が見つかりません。\r\nこのまま登録しますか？";
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
    h.gui.ExpectMessage("Delphi 2 と指定された [/nowhere/d2] が見つかりません。\r\nこのまま登録しますか？",
                        MsgResult::Yes);
    h.gui.ExpectMessage(Warning(4, "/nowhere/d4"), MsgResult::Yes);
    Open({Type({{2, "/nowhere/d2"}, {4, "/nowhere/d4"}})});
    ASSERT_EQ(h.gui.messages.size(), 2u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Warning);
    EXPECT_EQ(h.gui.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[2], "/nowhere/d2");
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[4], "/nowhere/d4");
}

TEST_F(DelphiReg, NoKeepsTheDialogOpenAndRegistersNothingUntilEveryFieldIsAccepted) {
    h.files.files["/ide/d2"] = "";
    h.Register(2, "/old/d2");
    h.gui.ExpectMessage(Warning(3, "/nowhere/d3"), MsgResult::No);
    h.gui.ExpectMessage(Warning(3, "/nowhere/d3"), MsgResult::Yes);
    TMainFm* main = nullptr;
    Open({[&](Window& dlg) {
        main = h.program ? &h.Main() : nullptr;
        dlg.Edit("Delphi2Ed", "/ide/d2");
        dlg.Edit("Delphi3Ed", "/nowhere/d3");
        dlg.Click("OKBtn");
        EXPECT_EQ(dlg.ModalResult(), layout::ModalResult::None);  // still open
        EXPECT_EQ(main->Settings.RegisteredPaths[2], "/old/d2");  // nothing copied
        // Each OK checks again from version 2; version 2 exists, 3 is asked again.
        dlg.Click("OKBtn");
        EXPECT_EQ(dlg.ModalResult(), layout::ModalResult::Ok);
    }});
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[2], "/ide/d2");
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[3], "/nowhere/d3");
}

TEST_F(DelphiReg, CancelAfterANoChangesNothingAndALaterSaveKeepsTheOldPaths) {
    h.Register(2, "/old/d2");
    h.files.files["/ide/d2"] = "";
    h.gui.ExpectMessage(Warning(3, "/nowhere/d3"), MsgResult::No);
    h.gui.AnswerInput("50");
    h.gui.OnModal("DelphiRegDlg", [](Window& dlg) {
        dlg.Edit("Delphi2Ed", "/ide/d2");
        dlg.Edit("Delphi3Ed", "/nowhere/d3");
        dlg.Click("OKBtn");
        dlg.Click("CancelBtn");
    });
    h.gui.OnMainWindow([](Window& w) { w.ChooseMenu("Delphi1"); });
    h.gui.OnMainWindow([](Window& w) { w.ChooseMenu("H1"); });  // then the size command saves
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
              dlg.Edit("Delphi4Ed", "/typed/but/cancelled");
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
    h.gui.ExpectMessage(Warning(2, "   "), MsgResult::Yes);
    Open({Type({{2, "   "}})});
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[2], "   ");
}

TEST_F(DelphiReg, BrowseOpensOnTheTypedPathAndTakesTheChoice) {
    h.files.files["/picked/delphi32"] = "";
    h.files.files["/ide/d4"] = "";
    h.Register(4, "/ide/d4");
    h.gui.AnswerOpenFile("/picked/delphi32");
    h.gui.AnswerOpenFile(std::nullopt);
    h.gui.AnswerOpenFile(std::nullopt);
    Open({[](Window& dlg) {
        dlg.Edit("Delphi3Ed", "/typed/d3");
        dlg.Click("Button2");  // Delphi 3's browse button
        EXPECT_EQ(dlg.Text("Delphi3Ed"), "/picked/delphi32");
        // A cancelled browse leaves the field as it was, empty or holding a path.
        dlg.Click("Button1");  // Delphi 2's
        EXPECT_EQ(dlg.Text("Delphi2Ed"), "");
        dlg.Click("Button3");  // Delphi 4's, which shows the registered path
        EXPECT_EQ(dlg.Text("Delphi4Ed"), "/ide/d4");
        dlg.Click("OKBtn");
    }});
    ASSERT_EQ(h.gui.openFileRequests.size(), 3u);
    EXPECT_EQ(h.gui.openFileRequests[0], (std::pair<std::string, std::string>{"*.exe|*.exe", "/typed/d3"}));
    // An empty field with nothing found opens in the launcher's directory, not
    // in whatever directory the launcher was started from.
    EXPECT_EQ(h.gui.openFileRequests[1].second, "/opt/pivora/");
    EXPECT_EQ(h.gui.openFileRequests[2].second, "/ide/d4");
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[3], "/picked/delphi32");
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[4], "/ide/d4");
}

TEST_F(DelphiReg, ARelativePathIsLookedForInTheLaunchersDirectory) {
    h.files.files["/opt/pivora/ide/delphi32"] = "";  // beside the launcher, where it will start
    h.gui.ExpectMessage(Warning(3, "other/delphi32"), MsgResult::Yes);
    Open({Type({{2, "ide/delphi32"}, {3, "other/delphi32"}})});
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[2], "ide/delphi32");  // kept as typed
}

// Where a registered text may be a command (Linux), one whose program is found
// is what the user meant; only a text that is neither is warned about.
TEST_F(DelphiReg, ACommandWhoseProgramIsFoundIsRegisteredWithoutAWarning) {
    const std::string command = R"(env LANG=ja_JP.UTF-8 wine "C:\Program Files\Borland\Delphi4\Bin\DELPHI32.EXE")";
    h.sys.foundCommands.insert(command);
    h.gui.ExpectMessage(Warning(4, "wine-missing d4.exe"), MsgResult::Yes);
    Open({Type({{3, command}, {4, "wine-missing d4.exe"}})});
    EXPECT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[3], command);
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[4], "wine-missing d4.exe");
}

TEST_F(DelphiReg, AFailedWriteIsReportedAndTheRegistrationStaysInMemory) {
    h.files.files["/ide/d4"] = "";
    h.files.failWrites.insert(h.IniPath());
    h.gui.AnswerMessage();
    Open({Type({{4, "/ide/d4"}})});
    ASSERT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Error);
    EXPECT_NE(h.gui.messages[0].text.find(h.IniPath()), std::string::npos);
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[4], "/ide/d4");
}


// The IDEs found installed are offered, never registered behind the user's
// back: as the greyed cue of an empty field, and through the button that
// takes one into its field; only OK registers, and only what the fields hold.
class DelphiRegFound : public DelphiReg {
protected:
    std::shared_ptr<ScriptedSearch> search = std::make_shared<ScriptedSearch>();
    ReleaseAtEnd release{*search};
    PatienceUntilPlacesDone* patience = nullptr;

    // The search has these places; the dialog's wait ends once `placesPerWait`
    // of them are done at its first showing, and so on.
    void Search(std::vector<ScriptedSearch::Place> places, std::vector<std::size_t> placesPerWait) {
        search->places = std::move(places);
        h.sys.ideSearch = search;
        h.beforeRun = [this, placesPerWait](TProgram& program) {
            auto p = std::make_unique<PatienceUntilPlacesDone>(placesPerWait);
            patience = p.get();
            program.DelphiRegDlg.Discovery().SetPatience(std::move(p));
        };
    }
    void TearDown() override {
        if (patience) {
            EXPECT_FALSE(patience->ranOutOfTime);
        }
    }
    std::vector<std::string> Cues(Window& dlg) {
        return {h.gui.ShownCue(dlg, "Delphi2Ed"), h.gui.ShownCue(dlg, "Delphi3Ed"), h.gui.ShownCue(dlg, "Delphi4Ed")};
    }
    std::vector<bool> Usable(Window& dlg) {
        return {h.gui.ShownEnabled(dlg, "Found2Btn"), h.gui.ShownEnabled(dlg, "Found3Btn"),
                h.gui.ShownEnabled(dlg, "Found4Btn")};
    }
};

TEST_F(DelphiRegFound, EmptyFieldsShowWhatWasFoundAndNothingIsRegisteredUntilOk) {
    h.files.files["/ide/d4"] = "";
    h.files.files["/wine/d2/DELPHI32.EXE"] = "";
    h.Register(4, "/ide/d4");
    Search({{"prefix", {{2, "/wine/d2/DELPHI32.EXE"}, {4, "/wine/d4/DELPHI32.EXE"}}}}, {1});
    Open({[&](Window& dlg) {
              // Delphi 4's field holds its registration: its cue does not show.
              EXPECT_EQ(Cues(dlg), (std::vector<std::string>{"/wine/d2/DELPHI32.EXE", "", ""}));
              EXPECT_EQ(dlg.Cue("Delphi4Ed"), "/wine/d4/DELPHI32.EXE");
              EXPECT_EQ(Usable(dlg), (std::vector<bool>{true, false, true}));
              // The cue is no text of the field's.
              EXPECT_EQ(dlg.Text("Delphi2Ed"), "");
              dlg.Click("Found3Btn");  // disabled: nothing happens
              EXPECT_EQ(dlg.Text("Delphi3Ed"), "");
              dlg.Click("Found2Btn");
              EXPECT_EQ(dlg.Text("Delphi2Ed"), "/wine/d2/DELPHI32.EXE");
              EXPECT_EQ(Cues(dlg)[0], "");  // a field with text shows no cue
              dlg.Click("CancelBtn");
          },
          [&](Window& dlg) {
              // Cancelled: nothing was registered, and the field is empty again.
              EXPECT_EQ(dlg.Text("Delphi2Ed"), "");
              EXPECT_EQ(Cues(dlg)[0], "/wine/d2/DELPHI32.EXE");
              dlg.Click("OKBtn");  // the fields as they are: a cue is not registered
          },
          [&](Window& dlg) {
              dlg.Click("Found2Btn");
              dlg.Click("Found4Btn");  // replaces the registered path in the field
              EXPECT_EQ(dlg.Text("Delphi4Ed"), "/wine/d4/DELPHI32.EXE");
              dlg.Edit("Delphi4Ed", "/ide/d4");  // and the user types it back
              dlg.Click("OKBtn");
          }});
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[2], "/wine/d2/DELPHI32.EXE");
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[3], "");
    EXPECT_EQ(h.Main().Settings.RegisteredPaths[4], "/ide/d4");
    for (const char* line : {"\n2=/wine/d2/DELPHI32.EXE\r\n", "\n3=\r\n", "\n4=/ide/d4\r\n"})
        EXPECT_NE(Ini().find(line), std::string::npos) << Ini();
    EXPECT_EQ(h.sys.ideSearches, 1);  // looked for once, at the first showing
}

TEST_F(DelphiRegFound, NothingIsLookedForUntilTheDialogOpens) {
    Search({{"prefix", {{2, "/wine/d2/DELPHI32.EXE"}}}}, {1});
    h.gui.OnMainWindow([](Window& w) { w.ChooseMenu("H1"); });  // another command
    h.gui.AnswerInput(std::nullopt);
    h.Run();
    EXPECT_EQ(h.sys.ideSearches, 0);
}

TEST_F(DelphiRegFound, WithNothingFoundNoCueShowsAndNoButtonTakes) {
    Open({[&](Window& dlg) {
        EXPECT_EQ(Cues(dlg), (std::vector<std::string>{"", "", ""}));
        EXPECT_EQ(Usable(dlg), (std::vector<bool>{false, false, false}));
        dlg.Click("CancelBtn");
    }});
    EXPECT_EQ(h.files.writes, 0);
}

// A place on a dead network mount: the dialog opens with what the others
// hold (its deadline here is the event "the other place is done"), and shows
// the rest at a later opening, once the place has answered.
TEST_F(DelphiRegFound, APlaceThatBlocksDoesNotHoldTheDialog) {
    Search({{"dead mount", {{2, "/dead/d2"}, {3, "/dead/d3"}}, /*blocks=*/true}, {"home", {{3, "/home/d3"}}}}, {1, 2});
    Open({[&](Window& dlg) {
              EXPECT_EQ(Cues(dlg), (std::vector<std::string>{"", "/home/d3", ""}));
              EXPECT_EQ(Usable(dlg), (std::vector<bool>{false, true, false}));
              ASSERT_TRUE(search->WaitBlocked(1));
              search->Release();
              dlg.Click("CancelBtn");
          },
          [&](Window& dlg) {
              EXPECT_EQ(Cues(dlg), (std::vector<std::string>{"/dead/d2", "/dead/d3", ""}));
              EXPECT_EQ(Usable(dlg), (std::vector<bool>{true, true, false}));
              dlg.Click("CancelBtn");
          }});
    EXPECT_EQ(h.files.writes, 0);
}

// A toolkit delivers no click on a disabled control; the window's model
// takes none either, so the scripted user cannot do what no user can.
TEST_F(DelphiReg, ADisabledButtonTakesNoClick) {
    Open({[](Window& dlg) {
        dlg.SetEnabled("Button1", false);
        dlg.Click("Button1");  // would open a file dialog the script did not expect
        dlg.SetEnabled("OKBtn", false);
        dlg.Click("OKBtn");
        EXPECT_EQ(dlg.ModalResult(), layout::ModalResult::None);
        dlg.SetEnabled("OKBtn", true);
        dlg.Click("CancelBtn");
    }});
    EXPECT_TRUE(h.gui.openFileRequests.empty());
}

TEST_F(DelphiRegFound, BrowseOpensOnTheFoundExecutableOfAnEmptyField) {
    Search({{"prefix", {{3, "/wine/d3/DELPHI32.EXE"}}}}, {1});
    h.gui.AnswerOpenFile(std::nullopt);
    h.gui.AnswerOpenFile(std::nullopt);
    Open({[](Window& dlg) {
        dlg.Click("Button2");  // Delphi 3's field is empty: the found file
        dlg.Edit("Delphi3Ed", "/typed/d3");
        dlg.Click("Button2");  // what is typed comes first
        dlg.Click("CancelBtn");
    }});
    ASSERT_EQ(h.gui.openFileRequests.size(), 2u);
    EXPECT_EQ(h.gui.openFileRequests[0].second, "/wine/d3/DELPHI32.EXE");
    EXPECT_EQ(h.gui.openFileRequests[1].second, "/typed/d3");
}

}  // namespace
}  // namespace pivora::testing
