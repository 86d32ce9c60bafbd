// Serves the program: the window manager's header as a handset spells it. A handset is 32-bit:
// its window data is read and written with GetWindowLongW and SetWindowLongW at GWL_USERDATA and
// GWL_WNDPROC, each "the 32-bit value" of the window ("GetWindowLong (Windows CE 5.0)",
// https://learn.microsoft.com/en-us/previous-versions/windows/embedded/aa453180(v=msdn.10)),
// which holds a pointer whole there. A 32-bit build keeps those calls; on a 64-bit desktop the
// same spellings name the pointer-sized calls.
#pragma once

#include_next <winuser.h>

#if !defined(RC_INVOKED)
#if defined(_WIN64)
#define GWL_USERDATA GWLP_USERDATA
#define GWL_WNDPROC GWLP_WNDPROC
#undef GetWindowLongW
#undef SetWindowLongW
#define GetWindowLongW GetWindowLongPtrW
#define SetWindowLongW SetWindowLongPtrW
#elif defined(__cplusplus)
static_assert(sizeof(LONG) == sizeof(void*), "window data holds a pointer whole on 32 bits");
#endif
#endif
