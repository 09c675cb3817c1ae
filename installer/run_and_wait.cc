#include "installer/run_and_wait.h"

#include "installer/command_line.h"
#include "launch/heap_string.h"

BOOL RunAndWait(const char* program, int argc, const char* const* argv, DWORD* exit_code) {
  *exit_code = 0;
  PROCESS_INFORMATION process = {};
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);

  char* command_line = BuildCommandLine(program, argc, argv);
  if (!command_line) return FALSE;
  // No application name: the platform takes the program from the quoted first token, so a path
  // with spaces cannot be read as a shorter path plus arguments.
  const BOOL started = CreateProcessA(nullptr, command_line, nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, exit_code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  FreeString(command_line);
  return started;
}
