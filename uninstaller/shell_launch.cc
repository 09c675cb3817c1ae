#include "uninstaller/shell_launch.h"

#include <shellapi.h>
#include <stdint.h>

BOOL ShellAccepted(HINSTANCE shell_result) {
  return reinterpret_cast<uintptr_t>(shell_result) > 32;
}

BOOL LaunchUninstalls(const char* tool_path, const char* working_directory) {
  BOOL all_accepted = TRUE;
  for (const char* parameters : kUninstallParameters) {
    if (!ShellAccepted(
            ShellExecuteA(nullptr, nullptr, tool_path, parameters, working_directory, SW_SHOW))) {
      all_accepted = FALSE;
    }
  }
  return all_accepted;
}
