// Host stand-in for the Windows calls the launchers make. See fake_windows.h.
#include "fake_windows.h"

#include <setupapi.h>
#include <shellapi.h>
#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "gtest/gtest.h"

// The stand-in heap hands out blocks of exactly the size asked for and relies on AddressSanitizer
// to see any byte read or written past their end: a plain allocator would round the block up and
// hide a missing terminator in zeroed slack.
#ifndef __SANITIZE_ADDRESS__
#error "the host tests must be built with -fsanitize=address"
#endif

namespace fake {
namespace {

Windows& State() {
  static Windows windows;
  return windows;
}

void Record(const std::string& name, const std::string& detail = "") {
  State().calls.push_back(detail.empty() ? name : name + " " + detail);
}

bool SameName(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

BOOL WINAPI FakeIsWow64Process(HANDLE process, BOOL* wow64) {
  Record("IsWow64Process");
  EXPECT_EQ(kCurrentProcess, process);
  *wow64 = State().wow64_flag;
  return State().is_wow64_process_result;
}

BOOL WINAPI FakeSetDefaultDllDirectories(DWORD flags) {
  Record("SetDefaultDllDirectories", std::to_string(flags));
  State().dll_directories_flags.push_back(flags);
  return State().set_default_dll_directories_result;
}

DWORD WINAPI FakeWaitNoPendingInstallEvents(DWORD timeout) {
  Windows& w = State();
  w.wait_timeouts.push_back(timeout);
  DWORD result = 0;
  if (!w.wait_results.empty()) {
    result = w.wait_results.front();
    w.wait_results.pop_front();
  }
  Record("CMP_WaitNoPendingInstallEvents", std::to_string(result));
  return result;
}

FARPROC AsFarProc(void* function) { return reinterpret_cast<FARPROC>(function); }

}  // namespace

Windows& Win() { return State(); }

void Reset() {
  for (void* block : State().live_blocks) free(block);
  State() = Windows();
}

int IndexOf(const std::string& prefix, int from) {
  const std::vector<std::string>& calls = State().calls;
  for (size_t i = from < 0 ? 0 : from; i < calls.size(); ++i) {
    if (calls[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
  }
  return -1;
}

int LastIndexOf(const std::string& prefix) {
  const std::vector<std::string>& calls = State().calls;
  for (size_t i = calls.size(); i-- > 0;) {
    if (calls[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
  }
  return -1;
}

int Count(const std::string& prefix) {
  int count = 0;
  for (const std::string& call : State().calls)
    count += call.compare(0, prefix.size(), prefix) == 0;
  return count;
}

}  // namespace fake

using fake::Record;
using fake::SameName;
using fake::State;

DWORD GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size) {
  Record("GetModuleFileNameA", std::to_string(size));
  EXPECT_EQ(nullptr, module);
  const fake::Windows& w = State();
  if (w.module_file_name_fails || size == 0) return 0;
  const std::string& name = w.module_file_name;
  if (name.size() < size) {
    memcpy(file_name, name.c_str(), name.size() + 1);
    return static_cast<DWORD>(name.size());
  }
  if (w.cut_without_terminator) {
    memcpy(file_name, name.data(), size);
  } else {
    memcpy(file_name, name.data(), size - 1);
    file_name[size - 1] = '\0';
  }
  return size;
}

BOOL IsDBCSLeadByte(BYTE byte) { return State().code_page == 936 && byte >= 0x81 && byte <= 0xFE; }

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  Record("GetSystemDirectoryA", std::to_string(size));
  const fake::Windows& w = State();
  if (w.system_directory_result != 0) return w.system_directory_result;
  if (w.system_directory.size() >= size) return static_cast<UINT>(w.system_directory.size() + 1);
  memcpy(buffer, w.system_directory.c_str(), w.system_directory.size() + 1);
  return static_cast<UINT>(w.system_directory.size());
}

HMODULE LoadLibraryA(LPCSTR file_name) {
  Record("LoadLibraryA", file_name);
  fake::Windows& w = State();
  if (w.refused_loads.count(file_name)) return nullptr;
  const std::string full_path = w.system_directory + "\\kernel32.dll";
  if (SameName(file_name, "kernel32.dll") || SameName(file_name, full_path.c_str())) {
    ++w.kernel32_references;
    return fake::kKernel32;
  }
  return nullptr;
}

HMODULE GetModuleHandleA(LPCSTR module_name) {
  Record("GetModuleHandleA", module_name);
  if (SameName(module_name, "kernel32.dll")) return fake::kKernel32;
  if (SameName(module_name, "setupapi.dll") && State().setupapi_loaded) return fake::kSetupApi;
  return nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  Record("GetProcAddress", name);
  const fake::Windows& w = State();
  if (module == fake::kKernel32) {
    if (!strcmp(name, "IsWow64Process") && w.has_is_wow64_process) {
      return fake::AsFarProc(reinterpret_cast<void*>(&fake::FakeIsWow64Process));
    }
    if (!strcmp(name, "SetDefaultDllDirectories") && w.has_set_default_dll_directories) {
      return fake::AsFarProc(reinterpret_cast<void*>(&fake::FakeSetDefaultDllDirectories));
    }
  }
  if (module == fake::kSetupApi && !strcmp(name, "CMP_WaitNoPendingInstallEvents") &&
      w.has_wait_export) {
    return fake::AsFarProc(reinterpret_cast<void*>(&fake::FakeWaitNoPendingInstallEvents));
  }
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  Record("FreeLibrary");
  EXPECT_EQ(fake::kKernel32, module);
  EXPECT_GT(State().kernel32_references, 0) << "FreeLibrary without a matching load";
  --State().kernel32_references;
  return TRUE;
}

HANDLE GetCurrentProcess() { return fake::kCurrentProcess; }

HANDLE GetProcessHeap() { return reinterpret_cast<HANDLE>(0x150000); }

void* HeapAlloc(HANDLE heap, DWORD flags, size_t bytes) {
  Record("HeapAlloc", std::to_string(bytes));
  EXPECT_EQ(GetProcessHeap(), heap);
  fake::Windows& w = State();
  if (w.heap_blocks_before_refusal == 0) return nullptr;
  if (w.heap_blocks_before_refusal > 0) --w.heap_blocks_before_refusal;
  // Exactly |bytes|, no slack (see above). An unzeroed block is filled so that code relying on
  // zeroes it did not ask for shows up.
  void* block = (flags & HEAP_ZERO_MEMORY) ? calloc(1, bytes) : memset(malloc(bytes), 0xCD, bytes);
  w.live_blocks.insert(block);
  return block;
}

BOOL HeapFree(HANDLE heap, DWORD, void* block) {
  Record("HeapFree");
  EXPECT_EQ(GetProcessHeap(), heap);
  if (State().live_blocks.erase(block) == 0) {
    ADD_FAILURE() << "HeapFree of a block the heap did not hand out";
    return FALSE;
  }
  free(block);
  return TRUE;
}

LANGID GetSystemDefaultLangID() {
  Record("GetSystemDefaultLangID");
  return State().system_language;
}

BOOL CreateProcessA(LPCSTR application_name, LPSTR command_line,
                    SECURITY_ATTRIBUTES* process_attributes, SECURITY_ATTRIBUTES* thread_attributes,
                    BOOL inherit_handles, DWORD creation_flags, void* environment,
                    LPCSTR current_directory, STARTUPINFOA* startup_info,
                    PROCESS_INFORMATION* process_information) {
  Record("CreateProcessA", command_line);
  fake::Windows& w = State();
  w.process_starts.push_back({application_name == nullptr, command_line,
                              process_attributes == nullptr, thread_attributes == nullptr,
                              inherit_handles, creation_flags, environment == nullptr,
                              current_directory == nullptr, *startup_info});
  if (!w.create_process_result) return FALSE;
  process_information->hProcess = fake::kChildProcess;
  process_information->hThread = fake::kChildThread;
  process_information->dwProcessId = 4242;
  process_information->dwThreadId = 4243;
  w.open_handles.insert(fake::kChildProcess);
  w.open_handles.insert(fake::kChildThread);
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  Record("WaitForSingleObject", std::to_string(milliseconds));
  EXPECT_EQ(fake::kChildProcess, handle);
  return WAIT_OBJECT_0;
}

BOOL GetExitCodeProcess(HANDLE process, DWORD* exit_code) {
  Record("GetExitCodeProcess");
  EXPECT_EQ(fake::kChildProcess, process);
  *exit_code = State().child_exit_code;
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  Record("CloseHandle", handle == fake::kChildProcess  ? "process"
                        : handle == fake::kChildThread ? "thread"
                                                       : "other");
  return State().open_handles.erase(handle) ? TRUE : FALSE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  Record("MessageBoxA");
  State().message_boxes.push_back({owner, text, caption, type});
  return State().message_box_result;
}

BOOL SetupLogErrorA(LPCSTR message, LogSeverity severity) {
  Record("SetupLogErrorA", message);
  State().setup_log.push_back(std::to_string(severity) + " " + message);
  return State().setup_log_result;
}

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, int show_command) {
  Record("ShellExecuteA", parameters ? parameters : "(null)");
  fake::Windows& w = State();
  w.shell_launches.push_back({owner, operation == nullptr, file, parameters ? parameters : "",
                              directory == nullptr, directory ? directory : "", show_command});
  INT_PTR result = 42;
  if (!w.shell_results.empty()) {
    result = w.shell_results.front();
    w.shell_results.pop_front();
  }
  return reinterpret_cast<HINSTANCE>(result);
}
