// Hardening of run-time DLL loading.
#ifndef LAUNCH_DLL_SEARCH_H_
#define LAUNCH_DLL_SEARCH_H_

// Restricts the DLLs the process loads at run time to the system directory, so that a DLL planted
// beside the program (typically in a downloads folder, with the program running elevated) is never
// loaded. Does nothing where Windows lacks SetDefaultDllDirectories (before Windows 8 without
// KB2533623). Reports nothing: the launchers work the same either way.
void RestrictDllSearchToSystemDirectory();

#endif  // LAUNCH_DLL_SEARCH_H_
