// Host stand-in for the parts of the Windows headers the launchers use. Written from the documented
// shape of each call; the implementations live in tests/host/fake_windows.cc, which records every
// call and can make any of them fail.
#ifndef TESTS_HOST_INCLUDE_WINDOWS_H_
#define TESTS_HOST_INCLUDE_WINDOWS_H_

#include <stddef.h>
#include <stdint.h>

#define WINAPI

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef WORD LANGID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* HANDLE;
typedef intptr_t INT_PTR;
typedef INT_PTR (*FARPROC)();

struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct HWND__;
typedef HWND__* HWND;
struct SECURITY_ATTRIBUTES;

#define FALSE 0
#define TRUE 1
#define MAX_PATH 260
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define HEAP_ZERO_MEMORY 0x00000008u
#define MB_OK 0x00000000u
#define SW_SHOW 5

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};

// kernel32
DWORD GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size);
BOOL IsDBCSLeadByte(BYTE byte);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
HMODULE LoadLibraryA(LPCSTR file_name);
HMODULE GetModuleHandleA(LPCSTR module_name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
HANDLE GetCurrentProcess();
HANDLE GetProcessHeap();
void* HeapAlloc(HANDLE heap, DWORD flags, size_t bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, void* block);
LANGID GetSystemDefaultLangID();
BOOL CreateProcessA(LPCSTR application_name, LPSTR command_line,
                    SECURITY_ATTRIBUTES* process_attributes, SECURITY_ATTRIBUTES* thread_attributes,
                    BOOL inherit_handles, DWORD creation_flags, void* environment,
                    LPCSTR current_directory, STARTUPINFOA* startup_info,
                    PROCESS_INFORMATION* process_information);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL GetExitCodeProcess(HANDLE process, DWORD* exit_code);
BOOL CloseHandle(HANDLE handle);

// user32
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#endif  // TESTS_HOST_INCLUDE_WINDOWS_H_
