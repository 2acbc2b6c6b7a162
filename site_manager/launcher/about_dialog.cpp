#include "about_dialog.h"

#include "resource.h"
#include "velmora.h"

INT_PTR CAboutDlg::Run(HWND owner) { return win32::Dialog::Run(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), owner); }

BOOL CAboutDlg::OnInit() {
  SendDlgItemMessageW(Hwnd(), IDC_ABOUT_ICON, STM_SETICON, WPARAM(SMAPI_GetResourceIconHandle(48)), 0);
  wchar_t line[kHelpStringUnits];
  SMAPI_GetResourceHelpString(49, line);
  SetDlgItemTextW(Hwnd(), IDC_ABOUT_LINE1, line);
  SMAPI_GetResourceHelpString(50, line);
  SetDlgItemTextW(Hwnd(), IDC_ABOUT_LINE2, line);
  return TRUE;
}

INT_PTR CAboutDlg::OnMessage(UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
    End(LOWORD(wp));
    return TRUE;
  }
  return FALSE;
}
