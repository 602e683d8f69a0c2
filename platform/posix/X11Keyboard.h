#pragma once

namespace pivora {

// Whether a Ctrl key is held now, asked of the X server named by DISPLAY. False
// without a display. The X client library is loaded only for this one question.
bool X11CtrlDown();

}  // namespace pivora
