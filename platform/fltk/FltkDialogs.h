// The program's small standard dialogs: the message box, the input box and
// the file-open dialog.
#pragma once

#include <optional>
#include <string>

#include "platform/interface/Gui.h"

namespace pivora::fltk {

MsgResult RunMessageBox(MsgType type, MsgButtons buttons, const std::string& text);
std::optional<std::string> RunInputQuery(const std::string& caption, const std::string& prompt,
                                         const std::string& initial);
std::optional<std::string> RunOpenFile(const std::string& filter, const std::string& initialFile);

}  // namespace pivora::fltk
