#include "installer/exit_code.h"

int InstallerExitCode(BOOL tool_started, DWORD tool_exit_code) {
  if (!tool_started || (tool_exit_code & kToolFailedBit) != 0) return -1;
  return 1;
}
