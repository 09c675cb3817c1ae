// Starts the tool as a child process and waits for it.
#ifndef INSTALLER_RUN_AND_WAIT_H_
#define INSTALLER_RUN_AND_WAIT_H_

#include <windows.h>

// Starts the command line BuildCommandLine makes of |program| and its |argc| arguments as a child
// process (no application name, nothing inherited, the caller's environment and current
// directory), waits for it without a time limit and stores its exit code in |exit_code|. Returns
// FALSE, with |exit_code| left 0, when nothing was started: the heap refused the command line or
// the platform refused the start (a missing tool, a path too long). Both child handles are closed
// before it returns.
BOOL RunAndWait(const char* program, int argc, const char* const* argv, DWORD* exit_code);

#endif  // INSTALLER_RUN_AND_WAIT_H_
