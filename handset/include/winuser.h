// Serves the program: the window manager's header as a handset spells it. A handset is 32-bit:
// its window data is read and written with GetWindowLongW and SetWindowLongW at GWL_USERDATA and
// GWL_WNDPROC, and holds pointers whole. On a 64-bit desktop those spellings name the
// pointer-sized calls.
#pragma once

#include_next <winuser.h>

#if defined(_WIN64) && !defined(RC_INVOKED)
#define GWL_USERDATA GWLP_USERDATA
#define GWL_WNDPROC GWLP_WNDPROC
#undef GetWindowLongW
#undef SetWindowLongW
#define GetWindowLongW GetWindowLongPtrW
#define SetWindowLongW SetWindowLongPtrW
#endif
