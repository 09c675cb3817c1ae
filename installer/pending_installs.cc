#include "installer/pending_installs.h"

#include <setupapi.h>

#include "installer/notice.h"

namespace {

typedef DWORD(WINAPI* WaitNoPendingInstallEventsFunction)(DWORD timeout);

}  // namespace

BOOL IsDeviceInstallInProgress() {
  SetupLogErrorA("IsDeviceInstallInProgress", LogSevError);
  // setupapi is linked at load time, so it is loaded; its handle is looked up on every probe and
  // needs no release.
  HMODULE setupapi = GetModuleHandleA("setupapi.dll");
  if (!setupapi) return 0;
  const WaitNoPendingInstallEventsFunction wait_no_pending_install_events =
      reinterpret_cast<WaitNoPendingInstallEventsFunction>(
          reinterpret_cast<void*>(GetProcAddress(setupapi, "CMP_WaitNoPendingInstallEvents")));
  if (!wait_no_pending_install_events) return 0;
  return wait_no_pending_install_events(0) == WAIT_TIMEOUT ? 1 : 0;
}

void WaitForPendingDeviceInstalls() {
  const NoticeTexts notice = ChooseNotice(GetSystemDefaultLangID());
  if (IsDeviceInstallInProgress()) MessageBoxA(nullptr, notice.text, notice.caption, MB_OK);
  // Busy polling: the installation goes ahead the moment the device installer is idle.
  while (IsDeviceInstallInProgress()) {
  }
}
