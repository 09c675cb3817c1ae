#include "installer/command_line.h"

#include <string.h>

#include "launch/heap_string.h"

char* BuildCommandLine(const char* program, int argc, const char* const* argv) {
  const size_t program_length = strlen(program);
  size_t length = program_length + 2;  // The program between two quotes.
  for (int i = 0; i < argc; ++i) length += 1 + strlen(argv[i]);

  char* line = AllocString(length);
  if (!line) return nullptr;
  char* end = line;
  *end++ = '"';
  memcpy(end, program, program_length);
  end += program_length;
  *end++ = '"';
  for (int i = 0; i < argc; ++i) {
    const size_t argument_length = strlen(argv[i]);
    *end++ = ' ';
    memcpy(end, argv[i], argument_length);
    end += argument_length;
  }
  return line;  // The zeroed block ends the string.
}
