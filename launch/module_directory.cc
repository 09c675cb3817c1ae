#include "launch/module_directory.h"

#include <string.h>
#include <windows.h>

#include "launch/heap_string.h"

namespace {

// The first buffer holds any ordinary path; longer names (only reachable through \\?\ paths) are
// fetched again into doubled buffers up to the longest path Windows has.
constexpr DWORD kFirstNameCapacity = MAX_PATH + 1;
constexpr DWORD kLongestNameCapacity = 32768;

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace

size_t ModuleDirectoryLength(const char* path, LeadByteTest is_lead_byte) {
  size_t directory_length = 0;
  for (size_t i = 0; path[i] != '\0'; ++i) {
    const unsigned char byte = static_cast<unsigned char>(path[i]);
    if (byte == '\\') {
      directory_length = i;
    } else if (is_lead_byte(byte)) {
      if (path[i + 1] == '\0') break;  // A lone lead byte at the end has no second byte to skip.
      ++i;
    }
  }
  return directory_length;
}

char* GetModuleDirectory() {
  DWORD capacity = kFirstNameCapacity;
  for (;;) {
    char* name = AllocString(capacity);
    if (!name) return nullptr;
    // A result equal to the capacity means the name was cut (and, before Vista, left without a
    // terminator): fetch it again into a larger block.
    const DWORD length = GetModuleFileNameA(nullptr, name, capacity);
    if (length < capacity) {
      name[ModuleDirectoryLength(name, IsAnsiLeadByte)] = '\0';
      return name;
    }
    FreeString(name);
    if (capacity == kLongestNameCapacity) return nullptr;
    capacity = capacity < kLongestNameCapacity / 2 ? capacity * 2 : kLongestNameCapacity;
  }
}
