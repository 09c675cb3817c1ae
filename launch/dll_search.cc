#include "launch/dll_search.h"

#include <windows.h>

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD flags);

constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

}  // namespace

void RestrictDllSearchToSystemDirectory() {
  // Looked up at run time so that the programs still start on Windows XP and Vista. Wine accepts
  // the call but does not enforce it; only Windows itself does.
  HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  if (!kernel32) return;
  const SetDefaultDllDirectoriesFunction set_default_dll_directories =
      reinterpret_cast<SetDefaultDllDirectoriesFunction>(
          reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
  if (set_default_dll_directories) set_default_dll_directories(kSearchSystem32);
}
