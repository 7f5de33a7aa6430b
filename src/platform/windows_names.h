#pragma once
// The window's sources see windows.h through FLTK. windows.h names macros after two Ui methods
// (MessageBox, Yield); this header is included first in those sources on Windows, and the
// include guard of windows.h keeps the macros from coming back.
#ifdef _WIN32
#include <windows.h>
#undef MessageBox
#undef Yield
#endif
