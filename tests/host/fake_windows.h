// Control of the host stand-in for the Windows calls. Every call the launchers make is recorded, in
// order, in Win().calls as "Name detail"; the fields below set what each call answers.
#ifndef TESTS_HOST_FAKE_WINDOWS_H_
#define TESTS_HOST_FAKE_WINDOWS_H_

#include <windows.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

namespace fake {

inline HMODULE const kKernel32 = reinterpret_cast<HMODULE>(0x7C800000);
inline HMODULE const kSetupApi = reinterpret_cast<HMODULE>(0x77920000);
inline HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(-1);
inline HANDLE const kChildProcess = reinterpret_cast<HANDLE>(0x100);
inline HANDLE const kChildThread = reinterpret_cast<HANDLE>(0x104);
inline const char kSystemDirectory[] = "C:\\WINDOWS\\system32";

struct ProcessStart {
  bool application_name_null;
  std::string command_line;
  bool process_attributes_null;
  bool thread_attributes_null;
  BOOL inherit_handles;
  DWORD creation_flags;
  bool environment_null;
  bool current_directory_null;
  STARTUPINFOA startup;
};

struct ShellLaunch {
  HWND owner;
  bool operation_null;
  std::string file;
  std::string parameters;
  bool directory_null;
  std::string directory;
  int show_command;
};

struct MessageBoxCall {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

struct Windows {
  std::vector<std::string> calls;

  // The running program's file name. GetModuleFileNameA cuts a longer name as Vista and later do,
  // or as XP does (no terminator) with cut_without_terminator.
  std::string module_file_name = "C:\\drv\\installer.exe";
  bool module_file_name_fails = false;
  bool cut_without_terminator = false;
  UINT code_page = 1252;  // 936 makes IsDBCSLeadByte answer for GBK lead bytes.

  // kernel32 and the bitness probe.
  std::string system_directory = kSystemDirectory;
  UINT system_directory_result = 0;  // Nonzero: answer this instead of the length, writing nothing.
  std::set<std::string> refused_loads;
  int kernel32_references = 0;  // Taken by LoadLibraryA, given back by FreeLibrary.
  bool has_is_wow64_process = true;
  BOOL is_wow64_process_result = TRUE;
  BOOL wow64_flag = FALSE;
  bool has_set_default_dll_directories = true;
  BOOL set_default_dll_directories_result = TRUE;
  std::vector<DWORD> dll_directories_flags;

  // The process heap.
  int heap_blocks_before_refusal = -1;  // -1: the heap never refuses.
  std::set<void*> live_blocks;

  // Setup services.
  bool setupapi_loaded = true;
  bool has_wait_export = true;
  std::deque<DWORD> wait_results;  // Answers of CMP_WaitNoPendingInstallEvents; then 0.
  std::vector<DWORD> wait_timeouts;
  BOOL setup_log_result = TRUE;
  std::vector<std::string> setup_log;  // "severity message"
  LANGID system_language = 0x0409;

  // The notice.
  int message_box_result = 1;  // IDOK; 0 stands for a box that could not be shown.
  std::vector<MessageBoxCall> message_boxes;

  // The child process.
  BOOL create_process_result = TRUE;
  DWORD child_exit_code = 0;
  std::vector<ProcessStart> process_starts;
  std::set<HANDLE> open_handles;

  // The shell.
  std::deque<INT_PTR> shell_results;  // Answers of ShellExecuteA in turn; then 42.
  std::vector<ShellLaunch> shell_launches;
};

// The stand-in's state. Reset() puts it back to a 32-bit Windows with nothing pending.
Windows& Win();
void Reset();

// Position of the first call whose record starts with |prefix| at or after |from|, or -1.
int IndexOf(const std::string& prefix, int from = 0);
// Position of the last such call, or -1.
int LastIndexOf(const std::string& prefix);
// Number of calls whose record starts with |prefix|.
int Count(const std::string& prefix);

}  // namespace fake

#endif  // TESTS_HOST_FAKE_WINDOWS_H_
