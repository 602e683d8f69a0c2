#include "platform/interface/NativePlatform.h"

#include <libintl.h>

#include <clocale>

#include "platform/posix/LazyGui.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixSystem.h"

namespace pivora {

namespace {

// The system's reasons in failure messages (strerror) speak the user's
// language, as the messages around them do. Only the message category is
// taken from the environment: numbers, dates and the bytes of file names are
// handled as before. The C library's texts are asked for in UTF-8, which the
// windows and a terminal expect; in the "C" character type they would come
// as question marks.
void UseTheUsersLanguageForSystemMessages() {
    if (std::setlocale(LC_MESSAGES, "")) ::bind_textdomain_codeset("libc", "UTF-8");
}

class PosixPlatform final : public NativePlatform {
public:
    PosixPlatform(int argc, char** argv) : system_(argc, argv), gui_(system_.ExePath()) {}
    System& Sys() override { return system_; }
    FileSystem& Files() override { return files_; }
    GuiBackend& Gui() override { return gui_; }

private:
    PosixSystem system_;
    PosixFiles files_;
    LazyGui gui_;
};

}  // namespace

std::unique_ptr<NativePlatform> CreateNativePlatform(int argc, char** argv) {
    UseTheUsersLanguageForSystemMessages();  // before anything can fail
    return std::make_unique<PosixPlatform>(argc, argv);
}

}  // namespace pivora
