#include "launcher/Main.h"

#include "launcher/Detection.h"
#include "launcher/ForceOpen.h"
#include "platform/interface/Application.h"
#include "platform/formats/Convert.h"
#include "platform/formats/FileNames.h"

namespace pivora {

namespace {
std::string VersionCaption(std::int32_t version) { return "Delphi " + std::to_string(version); }
}  // namespace

TMainFm::TMainFm(Application& app, TForms& forms) : app_(app), forms_(forms), form_(app, kMainFmLayout) {
    app_.SetMainWindow(form_);
    form_.Bind("FormCreate", [this] { FormCreate(); });
    form_.Bind("FormShow", [this] { FormShow(); });
    form_.Bind("Exit1Click", [this] { Exit1Click(); });
    form_.Bind("Delphi1Click", [this] { Delphi1Click(); });
    form_.Bind("H1Click", [this] { H1Click(); });
    form_.Bind("About1Click", [this] { About1Click(); });
    form_.Fire(kMainFmLayout.onCreate);
}

void TMainFm::FormCreate() {
    ForceSelect = app_.Sys().CtrlDown();
    Locations = DecideFileLocations(app_.Sys(), app_.Files());
    settingsPath_ = Locations.Settings;
    Settings = LoadSettings(app_.Files(), Locations.Defaults.empty() ? settingsPath_ : Locations.Defaults);
    settingsRead_ = true;
    System& sys = app_.Sys();
    History = std::make_unique<THistoryList>(
        app_.Files(), Locations.History,
        [&sys](std::string_view a, std::string_view b) { return sys.CompareFileNames(a, b); },
        Settings.HistoryMax, sys.ToUiText(Locations.History));
    History->LoadHistory();
}

void TMainFm::SaveSettings() { pivora::SaveSettings(app_.Files(), settingsPath_, Settings, Locations.Defaults); }

void TMainFm::FormShow() {
    const auto args = app_.Sys().Arguments();
    // The IDE starts in the launcher's directory, where a relative name would
    // name another file: it is made full first. A full path is used exactly as
    // delivered, so the history still knows it. Test mode ends the run with its
    // report and nothing else.
    if (args.size() == 1 && LaunchFile(app_.Sys().AbsolutePath(args[0])) == Outcome::ReportedTestMode) return;
    form_.SetText("DelphiVPnl", "Delphi ?");
    form_.BringToFront();
}

TMainFm::Outcome TMainFm::LaunchFile(const std::string& fileName) {
    // Unread settings are not empty ones: saying a version is unregistered, or
    // asking for a version that cannot be started, would both be untrue.
    if (!settingsRead_) return Outcome::Undetermined;
    // A remembered file opens in its remembered version; Ctrl forgets it and asks again.
    int remembered = History ? History->FindHistory(fileName) : -1;
    if (remembered >= 0 && ForceSelect) {
        History->DeleteHistory(remembered);
        remembered = -1;
    }
    const std::int32_t version =
        remembered >= 0 ? History->Entry(static_cast<std::size_t>(remembered)).Version : DetectVersion(fileName);
    if (version <= 0) return Outcome::Undetermined;
    form_.SetText("DelphiVPnl", VersionCaption(version));
    // Remembered whether or not an IDE is registered for it, and in test mode too.
    if (remembered < 0 && History) History->AddHistory(fileName, version, app_.Sys().Now());

    // A version without a slot (1 from a 16-bit unit) is as unregistered as an empty slot.
    const std::string& registered = Settings.RegisteredPaths[version];
    if (registered.empty()) {
        app_.MessageDlg(VersionCaption(version) + " は登録されていません。", MsgType::Error, MsgButtons::Ok);
        return Outcome::Unregistered;
    }
    if (Settings.TestMode) {
        app_.ShowMessage("Test Mode\r\n" + form_.Text("DelphiVPnl"));
        form_.Close();
        return Outcome::ReportedTestMode;
    }
    if (!LaunchIde(version, fileName)) return Outcome::StartFailed;
    // The window stays in being until control returns to the loop, so the
    // flow still resets the panel and raises it after the close.
    form_.Close();
    return Outcome::Started;
}

std::int32_t TMainFm::DetectVersion(const std::string& fileName) {
    std::int32_t version = 0;
    if (!ForceSelect) {
        FileSystem& files = app_.Files();
        version = DetectFromDsk(files, fileName);
        if (version == 0) version = DetectFromDpr(files, fileName);
        if (version == 0) version = DetectFromUnit(files, fileName);
    }
    if (version != 0) return version;
    TForceOpenVerSelDlg& dialog = *forms_.ForceOpenVerSelDlg;
    const std::optional<layout::ModalResult> answer = dialog.Form().ShowModal();
    if (!answer) {
        // Nobody can choose, and a launch without its version is a failed one.
        app_.EndRun(2, std::string("pivora: the window \"") + dialog.Form().Layout().caption +
                           "\" cannot be shown: there is no display");
        return 0;
    }
    return *answer == layout::ModalResult::Ok ? dialog.SelectedVersion : 0;
}

bool TMainFm::LaunchIde(std::int32_t version, const std::string& fileName) {
    System& sys = app_.Sys();
    // The IDE starts in the launcher's own directory, not in the file's.
    const SpawnResult result =
        sys.StartIde(Settings.RegisteredPaths[version], fileName, ExtractFilePath(sys.ExePath()));
    if (result.started) return true;
    app_.MessageDlg(VersionCaption(version) + " を起動できませんでした。\r\n[" + sys.ToUiText(result.executable) +
                        "]\r\n" + result.reason,
                    MsgType::Error, MsgButtons::Ok);
    return false;
}

void TMainFm::H1Click() {
    for (;;) {
        std::string text = IntToStr(Settings.HistoryMax);
        if (!app_.InputQuery("起動履歴登録数", "起動履歴を保存する最大値を入力して下さい。", text)) return;
        const std::int32_t n = StrToInt(text).value_or(-1);
        if (n < 0) {
            app_.MessageDlg("０以上の数値を入力して下さい。", MsgType::Error, MsgButtons::Ok);
            continue;
        }
        // The new limit applies from the next start, when the loaded history is trimmed.
        Settings.HistoryMax = n;
        SaveSettings();
        return;
    }
}

void TMainFm::Exit1Click() { form_.Close(); }

void TMainFm::Delphi1Click() {
    // A failed write is reported by the default handler; the registered paths
    // stay in memory, so the user can try again.
    if (forms_.DelphiRegDlg->ShowModal() == layout::ModalResult::Ok) SaveSettings();
}

// The box has only its OK button; how it was closed does not matter.
void TMainFm::About1Click() { forms_.AboutBox->ShowModal(); }

}  // namespace pivora
