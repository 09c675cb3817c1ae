// The command line the installer starts the tool with.
#ifndef INSTALLER_COMMAND_LINE_H_
#define INSTALLER_COMMAND_LINE_H_

// Returns "\"<program>\"" followed by each of the |argc| arguments, in order, each after exactly
// one space and copied unchanged (no quoting, no escaping). A count of zero or less adds nothing,
// and no space follows the closing quote then. Returns null when the heap refuses the block;
// otherwise the caller releases it with FreeString. |program| and the arguments it reads must be
// valid strings.
char* BuildCommandLine(const char* program, int argc, const char* const* argv);

#endif  // INSTALLER_COMMAND_LINE_H_
