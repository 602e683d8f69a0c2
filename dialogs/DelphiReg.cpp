#include "dialogs/DelphiReg.h"

#include <array>

#include "platform/interface/Application.h"
#include "platform/formats/FileNames.h"

namespace pivora {

TDelphiRegDlg::TDelphiRegDlg(Application& app, TRegisteredPaths& paths)
    : app_(app), paths_(paths), form_(app, kDelphiRegDlgLayout) {
    form_.Bind("FormCreate", [this] { FormCreate(); });
    form_.Bind("FormShow", [this] { FormShow(); });
    form_.Bind("ReferenceBtnClick", [this] { ReferenceBtnClick(); });
    form_.Bind("FoundBtnClick", [this] { FoundBtnClick(); });
    form_.Bind("OKBtnClick", [this] { OKBtnClick(); });
    form_.Fire(kDelphiRegDlgLayout.onCreate);
}

std::string TDelphiRegDlg::EditName(std::int32_t version) { return "Delphi" + std::to_string(version) + "Ed"; }

std::string TDelphiRegDlg::FoundButtonName(std::int32_t version) { return "Found" + std::to_string(version) + "Btn"; }

const std::string* TDelphiRegDlg::FoundFor(std::int32_t version) const {
    const auto it = found_.find(version);
    return it == found_.end() ? nullptr : &it->second;
}

void TDelphiRegDlg::FillFields() {
    for (int n = TRegisteredPaths::kFirst; n <= TRegisteredPaths::kLast; ++n)
        form_.SetText(EditName(n), app_.Sys().ToUiText(paths_[n]));
}

void TDelphiRegDlg::FormCreate() { FillFields(); }

// Edits left behind by a cancelled showing were never registered: show what is.
void TDelphiRegDlg::FormShow() {
    FillFields();
    OfferFound();
}

// An IDE found installed is offered, never registered behind the user's back:
// it shows as the greyed cue of its empty field, and its button takes it into
// the field, which OK then registers like anything typed.
void TDelphiRegDlg::OfferFound() {
    found_ = discovery_.Found(app_.Sys());
    for (int n = TRegisteredPaths::kFirst; n <= TRegisteredPaths::kLast; ++n) {
        const std::string* found = FoundFor(n);
        form_.SetCue(EditName(n), found ? app_.Sys().ToUiText(*found) : std::string());
        form_.SetEnabled(FoundButtonName(n), found != nullptr);
    }
}

void TDelphiRegDlg::FoundBtnClick() {
    const layout::Control* button = form_.Sender();
    if (!button) return;
    if (const std::string* found = FoundFor(button->tag))
        form_.SetText(EditName(button->tag), app_.Sys().ToUiText(*found));
}

void TDelphiRegDlg::ReferenceBtnClick() {
    const layout::Control* button = form_.Sender();
    if (!button) return;
    const std::string edit = EditName(button->tag);
    // An empty field opens on what was found, else in the launcher's own
    // directory rather than wherever the launcher was started from.
    std::string initial = form_.Text(edit);
    if (initial.empty()) {
        const std::string* found = FoundFor(button->tag);
        initial = app_.Sys().ToUiText(found ? *found : ExtractFilePath(app_.Sys().ExePath()));
    }
    if (auto chosen = app_.Gui().OpenFile(kDelphiRegOpenDialogFilter, initial)) form_.SetText(edit, *chosen);
}

void TDelphiRegDlg::OKBtnClick() {
    // Nothing is registered until every field is accepted, so that backing out
    // of a warning (No, then Cancel) leaves the registered paths as they were.
    std::array<std::string, TRegisteredPaths::kLast - TRegisteredPaths::kFirst + 1> accepted;
    // A relative path is looked for where it will be started from: the launcher's directory.
    const std::string launcherDir = ExtractFilePath(app_.Sys().ExePath());
    for (int n = TRegisteredPaths::kFirst; n <= TRegisteredPaths::kLast; ++n) {
        const std::string& text = form_.Text(EditName(n));
        std::string path = app_.Sys().FromUiText(text);
        // A text that names no file may be a command of the user's own (a
        // Windows IDE under Wine, say); one whose program is found is no mistake.
        if (!path.empty() && !app_.Files().FileExists(PathFrom(launcherDir, path)) &&
            !app_.Sys().CommandFound(path, launcherDir)) {
            const std::string question = "Delphi " + std::to_string(n) + " と指定された [" + text +
                                         "] が見つかりません。\r\nこのまま登録しますか？";
            if (app_.MessageDlg(question, MsgType::Warning, MsgButtons::YesNo) == MsgResult::No) {
                form_.SetModalResult(layout::ModalResult::None);
                return;
            }
        }
        accepted[static_cast<std::size_t>(n - TRegisteredPaths::kFirst)] = std::move(path);
    }
    for (int n = TRegisteredPaths::kFirst; n <= TRegisteredPaths::kLast; ++n)
        paths_.Set(n, std::move(accepted[static_cast<std::size_t>(n - TRegisteredPaths::kFirst)]));
}

}  // namespace pivora
