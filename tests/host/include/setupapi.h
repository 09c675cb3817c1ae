// Host stand-in for the setup services the installer links at load time.
#ifndef TESTS_HOST_INCLUDE_SETUPAPI_H_
#define TESTS_HOST_INCLUDE_SETUPAPI_H_

#include <windows.h>

typedef DWORD LogSeverity;
#define LogSevError 0x00000002u

BOOL SetupLogErrorA(LPCSTR message, LogSeverity severity);

#endif  // TESTS_HOST_INCLUDE_SETUPAPI_H_
