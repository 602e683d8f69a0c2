#include "launcher/Main.h"

#include "dialogs/DelphiReg.h"
#include "launcher/Detection.h"
#include "launcher/ForceOpen.h"
#include "platform/Application.h"
#include "platform/FileNames.h"

namespace pivora {

namespace {
std::string VersionCaption(std::int32_t version) { return "Delphi " + std::to_string(version); }
}  // namespace

TMainFm::TMainFm(Application& app, TForms& forms) : app_(app), forms_(forms), form_(app, kMainFmLayout) {
    forms_.MainFm = this;
    app_.SetMainWindow(form_);
    form_.Bind("FormCreate", [this] { FormCreate(); });
    form_.Bind("FormShow", [this] { FormShow(); });
    form_.Bind("Exit1Click", [this] { Exit1Click(); });
    form_.Bind("Delphi1Click", [this] { Delphi1Click(); });
    form_.Fire(kMainFmLayout.onCreate);
}

void TMainFm::FormCreate() {
    ForceSelect = app_.Sys().CtrlDown();
    settingsPath_ = SettingsFileName(app_.Sys().ExePath());
    Settings = LoadSettings(app_.Files(), settingsPath_);
}

void TMainFm::SaveSettings() { pivora::SaveSettings(app_.Files(), settingsPath_, Settings); }

void TMainFm::FormShow() {
    const auto args = app_.Sys().Arguments();
    // The file is used exactly as delivered: no expansion, no normalisation.
    // Test mode ends the run with its report and nothing else.
    if (args.size() == 1 && LaunchFile(args[0]) == Outcome::ReportedTestMode) return;
    form_.SetText("DelphiVPnl", "Delphi ?");
    form_.BringToFront();
}

TMainFm::Outcome TMainFm::LaunchFile(const std::string& fileName) {
    const std::int32_t version = DetectVersion(fileName);
    if (version <= 0) return Outcome::Undetermined;
    form_.SetText("DelphiVPnl", VersionCaption(version));

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
    if (dialog.Form().ShowModal() == layout::ModalResult::Ok) return dialog.SelectedVersion;
    return 0;
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

void TMainFm::Exit1Click() { form_.Close(); }

void TMainFm::Delphi1Click() {
    // A failed write is reported by the default handler; the registered paths
    // stay in memory, so the user can try again.
    if (forms_.DelphiRegDlg->Form().ShowModal() == layout::ModalResult::Ok) SaveSettings();
}

}  // namespace pivora
