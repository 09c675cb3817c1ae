// The uninstaller's two shell launches of the tool.
#ifndef UNINSTALLER_SHELL_LAUNCH_H_
#define UNINSTALLER_SHELL_LAUNCH_H_

#include <windows.h>

// The tool's parameters, one launch per driver package, modem package first.
inline constexpr const char* kUninstallParameters[] = {
    "/S /U quorixusbmdm.inf /C",
    "/S /U quorixusbser.inf /C",
};

// Whether the shell accepted a launch: ShellExecuteA answers above 32 on success.
BOOL ShellAccepted(HINSTANCE shell_result);

// Asks the shell to start |tool_path| once per entry of kUninstallParameters, in order, with
// |working_directory| as the tool's working directory, waiting for neither. Every launch is
// requested whatever the one before it gave. Returns TRUE when the shell accepted all of them.
BOOL LaunchUninstalls(const char* tool_path, const char* working_directory);

#endif  // UNINSTALLER_SHELL_LAUNCH_H_
