// The main window and the launch flow: handed a file, find its IDE version and
// start the IDE registered for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "launcher/FileLocations.h"
#include "launcher/Forms.h"
#include "launcher/History.h"
#include "launcher/Settings.h"
#include "platform/interface/Window.h"

namespace pivora {

extern const layout::Form kMainFmLayout;

class TMainFm {
public:
    // Creates the window and runs its creation event. The dialogs it opens
    // are looked up in `forms`, which the program fills once they exist.
    TMainFm(Application& app, TForms& forms);

    Window& Form() { return form_; }

    TFileLocations Locations;  // where the settings and the history are kept
    TSettings Settings;        // TestMode, HistoryMax, RegisteredPaths
    bool ForceSelect = false;  // Ctrl was held when the window was created
    // The launch history, owned by the window and released with it (not at the
    // close query, which a shutdown may call off).
    std::unique_ptr<THistoryList> History;

    // The whole decision: detection unless Ctrl was held, else (or when
    // detection cannot tell) the selection dialog. 0 when undetermined; where
    // the dialog cannot be shown, the run also ends with exit status 2.
    std::int32_t DetectVersion(const std::string& fileName);
    // Starts the IDE registered for `version` with the file. False (after
    // telling the user why) when it could not be started.
    bool LaunchIde(std::int32_t version, const std::string& fileName);
    void SaveSettings();

    const std::string& SettingsPath() const { return settingsPath_; }

private:
    void FormCreate();
    void FormShow();
    enum class Outcome { Undetermined, Unregistered, ReportedTestMode, StartFailed, Started };
    Outcome LaunchFile(const std::string& fileName);
    void Exit1Click();
    void Delphi1Click();
    void H1Click();
    void About1Click();

    Application& app_;
    TForms& forms_;
    Window form_;
    std::string settingsPath_;
    // False when the settings file could not be read: that was reported once,
    // and without its registrations no launch can be decided truthfully.
    bool settingsRead_ = false;
};

}  // namespace pivora
