// CAboutDlg: the skin's icon and its two about lines, and "OK".
#pragma once

#include "win32/window.h"

class CAboutDlg : public win32::Dialog {
 public:
  INT_PTR Run(HWND owner);

 protected:
  BOOL OnInit() override;
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};
