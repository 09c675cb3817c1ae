// The install program: waits until no device installation is pending, then runs the driver
// package installer tool that fits the running Windows and reports its outcome as -1 or 1.
#include <windows.h>

#include "installer/exit_code.h"
#include "installer/pending_installs.h"
#include "installer/run_and_wait.h"
#include "launch/dll_search.h"
#include "launch/heap_string.h"
#include "launch/module_directory.h"
#include "launch/tool_path.h"

namespace {

constexpr const char* kToolArguments[] = {"/LM /C"};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearchToSystemDirectory();
  char* module_directory = GetModuleDirectory();
  WaitForPendingDeviceInstalls();
  // The bitness probe runs only now, after the wait.
  char* tool_path = ComposeToolPath(module_directory);
  BOOL started = FALSE;
  DWORD tool_exit_code = 0;
  if (tool_path) started = RunAndWait(tool_path, 1, kToolArguments, &tool_exit_code);
  FreeString(tool_path);
  FreeString(module_directory);
  return InstallerExitCode(started, tool_exit_code);
}
