// Strings on the process heap. Every string the launchers hand from one function to another is a
// block of the process heap, owned by whoever received it and released with FreeString.
#ifndef LAUNCH_HEAP_STRING_H_
#define LAUNCH_HEAP_STRING_H_

#include <stddef.h>

// Returns a zeroed block with room for |chars| characters and a terminator, or null when the heap
// refuses it.
char* AllocString(size_t chars);

// Releases a block from AllocString or JoinStrings. Null is accepted and ignored.
void FreeString(char* string);

// Returns |first| followed directly by |second| in a new block, or null when the heap refuses it.
char* JoinStrings(const char* first, const char* second);

#endif  // LAUNCH_HEAP_STRING_H_
