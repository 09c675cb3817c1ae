// The directory that holds the running program: where the tool must lie.
#ifndef LAUNCH_MODULE_DIRECTORY_H_
#define LAUNCH_MODULE_DIRECTORY_H_

#include <stddef.h>

// Tells whether |byte| opens a double-byte character in the code page the path is written in.
typedef bool (*LeadByteTest)(unsigned char byte);

// Returns the length of the directory part of |path|: the bytes before its last backslash. The
// path is walked by characters, so on a double-byte code page the second byte of a character is
// never taken for a backslash even when it is 0x5C. Returns 0 when the path holds no backslash or
// starts with its only one.
size_t ModuleDirectoryLength(const char* path, LeadByteTest is_lead_byte);

// Returns the running program's full file name cut before its last backslash, walked in the ANSI
// code page, with no trailing backslash; empty when the platform gives no name or one without a
// backslash. The name is fetched whole however long it is, so the cut never falls inside a
// directory part of a truncated name. Returns null when the heap refuses a block or the name does
// not fit the platform's longest path. The caller releases the result with FreeString.
char* GetModuleDirectory();

#endif  // LAUNCH_MODULE_DIRECTORY_H_
