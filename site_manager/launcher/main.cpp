// Ostra, the site manager: one instance at a time, one modal launcher.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "launcher_dialog.h"
#include "win32/owners.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The mutex only marks a running instance: it is released at once and
  // its handle kept until the process ends.
  HANDLE instanceMark = CreateMutexW(nullptr, TRUE, L"Ostra X");
  const bool alreadyRunning = GetLastError() == ERROR_ALREADY_EXISTS;
  if (instanceMark) ReleaseMutex(instanceMark);
  if (alreadyRunning) {
    MessageBoxW(nullptr, L"Sorry!\r\nDouble Execution is not allowed.", L"Ostra", MB_OK);
    return 0;
  }

  INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
  InitCommonControlsEx(&controls);
  const win32::ComScope ole(win32::Apartment::kOle);  // the host windows embed controls on this thread
  CWebApplicationManagerDlg launcher;
  launcher.Run();
  return 0;
}
