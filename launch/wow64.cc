#include "launch/wow64.h"

#include <string.h>

namespace {

typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE process, BOOL* wow64);

constexpr char kKernel32Name[] = "kernel32.dll";
constexpr char kKernel32Leaf[] = "\\kernel32.dll";
constexpr UINT kSystemDirectoryCapacity = MAX_PATH + 1;
// Room for the longest system directory, the leaf, a terminator and one to spare.
constexpr size_t kLibraryPathCapacity = MAX_PATH + sizeof(kKernel32Leaf) + 1;

// Loads kernel32 from the system directory by its full path, so that no other directory is
// searched. Returns null when the directory cannot be had or does not fit.
HMODULE LoadKernel32FromSystemDirectory() {
  char directory[kSystemDirectoryCapacity] = {};
  const UINT length = GetSystemDirectoryA(directory, kSystemDirectoryCapacity);
  // A result as large as the buffer is the size it would need, with nothing written.
  if (length == 0 || length >= kSystemDirectoryCapacity) return nullptr;
  char path[kLibraryPathCapacity] = {};
  memcpy(path, directory, length);
  memcpy(path + length, kKernel32Leaf, sizeof(kKernel32Leaf));
  return LoadLibraryA(path);
}

}  // namespace

BOOL IsRunningUnderWow64() {
  BOOL wow64 = FALSE;
  HMODULE kernel32 = LoadKernel32FromSystemDirectory();
  // kernel32 is a known DLL: its bare name always resolves to the system's own copy.
  if (!kernel32) kernel32 = LoadLibraryA(kKernel32Name);
  if (!kernel32) return FALSE;
  // Looked up at run time: the export is missing before XP SP2, and importing it would keep the
  // programs from starting there.
  const IsWow64ProcessFunction is_wow64_process = reinterpret_cast<IsWow64ProcessFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "IsWow64Process")));
  if (is_wow64_process && !is_wow64_process(GetCurrentProcess(), &wow64)) wow64 = FALSE;
  FreeLibrary(kernel32);
  return wow64;
}
