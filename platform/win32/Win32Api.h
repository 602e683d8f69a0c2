// windows.h for this directory: without the min/max macros, and without the
// MessageBox macro, which would rename GuiBackend::MessageBox in whatever
// translation unit sees both.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#ifdef MessageBox
#undef MessageBox
#endif
