// Whether the running 32-bit process is hosted by WOW64, that is, whether Windows is 64-bit.
#ifndef LAUNCH_WOW64_H_
#define LAUNCH_WOW64_H_

#include <windows.h>

// Returns the flag IsWow64Process stores for the current process, nonzero for yes. Returns 0 when
// kernel32 cannot be loaded, lacks IsWow64Process (Windows before XP SP2) or the call fails,
// whatever the call may have stored. kernel32 is loaded by its full path in the system directory,
// by its bare name when that fails, and released again on every path that loaded it.
BOOL IsRunningUnderWow64();

#endif  // LAUNCH_WOW64_H_
