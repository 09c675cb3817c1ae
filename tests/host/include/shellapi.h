// Host stand-in for the shell call the uninstaller makes.
#ifndef TESTS_HOST_INCLUDE_SHELLAPI_H_
#define TESTS_HOST_INCLUDE_SHELLAPI_H_

#include <windows.h>

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, int show_command);

#endif  // TESTS_HOST_INCLUDE_SHELLAPI_H_
