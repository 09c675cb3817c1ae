// The installer's own exit code.
#ifndef INSTALLER_EXIT_CODE_H_
#define INSTALLER_EXIT_CODE_H_

#include <windows.h>

// The tool's exit code carries flags in its top byte: 0x80 for a driver package that could not be
// installed, 0x40 for a restart needed. A crash of the tool (an NTSTATUS such as 0xC0000005) also
// has bit 31 set.
inline constexpr DWORD kToolFailedBit = 0x80000000;

// Returns -1 when the tool was not started or its exit code has bit 31 set, 1 otherwise. Never 0.
int InstallerExitCode(BOOL tool_started, DWORD tool_exit_code);

#endif  // INSTALLER_EXIT_CODE_H_
