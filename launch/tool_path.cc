#include "launch/tool_path.h"

#include "launch/heap_string.h"
#include "launch/tool_names.h"
#include "launch/wow64.h"

char* JoinToolPath(const char* module_directory, BOOL wow64) {
  return JoinStrings(module_directory, wow64 ? kTool64Name : kTool32Name);
}

char* ComposeToolPath(const char* module_directory) {
  if (!module_directory) return nullptr;
  return JoinToolPath(module_directory, IsRunningUnderWow64());
}
