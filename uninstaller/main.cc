// The uninstall program: asks the shell to start the driver package installer tool that fits the
// running Windows twice, to remove the modem package and then the serial package, and ends at once.
#include <windows.h>

#include "launch/dll_search.h"
#include "launch/heap_string.h"
#include "launch/module_directory.h"
#include "launch/tool_path.h"
#include "uninstaller/shell_launch.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearchToSystemDirectory();
  char* module_directory = GetModuleDirectory();
  // One probe for both launches, so both name the same tool build.
  char* tool_path = ComposeToolPath(module_directory);
  const BOOL accepted = tool_path && LaunchUninstalls(tool_path, module_directory);
  FreeString(tool_path);
  FreeString(module_directory);
  return accepted ? 1 : -1;
}
