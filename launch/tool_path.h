// The full path of the tool build that fits the running Windows.
#ifndef LAUNCH_TOOL_PATH_H_
#define LAUNCH_TOOL_PATH_H_

#include <windows.h>

// Returns |module_directory| followed directly by the 64-bit tool's name when |wow64| is nonzero,
// else by the 32-bit tool's name: no separator added, no quoting, no test that the file exists.
// Returns null when the heap refuses the block. The caller releases it with FreeString.
char* JoinToolPath(const char* module_directory, BOOL wow64);

// Runs the bitness probe once and joins |module_directory| with the fitting tool name. Returns null
// when |module_directory| is null or the heap refuses the block.
char* ComposeToolPath(const char* module_directory);

#endif  // LAUNCH_TOOL_PATH_H_
