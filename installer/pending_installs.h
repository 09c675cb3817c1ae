// The guard that holds the installation back while the platform's device installer is busy.
#ifndef INSTALLER_PENDING_INSTALLS_H_
#define INSTALLER_PENDING_INSTALLS_H_

#include <windows.h>

// Writes one setup-log entry, then asks the device installer, without waiting, whether
// installation events are pending. Returns 1 when they are (the wait timed out), 0 for every other
// answer, and 0 when the setup services or their CMP_WaitNoPendingInstallEvents cannot be found.
BOOL IsDeviceInstallInProgress();

// Returns once a probe finds nothing pending, never before the second probe. When the first probe
// finds an installation pending, shows the notice chosen by the system default language once,
// before probing again; later probes follow each other with no pause and no limit.
void WaitForPendingDeviceInstalls();

#endif  // INSTALLER_PENDING_INSTALLS_H_
