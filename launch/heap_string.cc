#include "launch/heap_string.h"

#include <string.h>
#include <windows.h>

char* AllocString(size_t chars) {
  return static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, chars + 1));
}

void FreeString(char* string) {
  if (string) HeapFree(GetProcessHeap(), 0, string);
}

char* JoinStrings(const char* first, const char* second) {
  const size_t first_length = strlen(first);
  const size_t second_length = strlen(second);
  char* joined = AllocString(first_length + second_length);
  if (!joined) return nullptr;
  memcpy(joined, first, first_length);
  memcpy(joined + first_length, second, second_length);  // The zeroed block ends the string.
  return joined;
}
