// <windows.h> without the macros that would rename the Desktop port's methods
// (FindWindow -> FindWindowW, ...). A file that includes windows.h before
// platform/desktop.h sees the port under the W names; that still works through
// Desktop& (the calls go by vtable slot), but a direct call on a Win32Desktop
// object would then name a function that does not exist. Include this header
// first in such files.
#pragma once

#include <windows.h>

#undef FindWindow
#undef FindWindowEx
#undef GetWindowText
#undef GetClassName
#undef RegisterWindowMessage
