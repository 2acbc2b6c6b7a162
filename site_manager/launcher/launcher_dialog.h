// CWebApplicationManagerDlg, the launcher: a window shaped and painted by
// the skin, with seven skinned buttons, the version and current-site texts,
// and help on hover for the function buttons.
#pragma once

#include <iterator>
#include <memory>
#include <string>

#include "bmp_button.h"
#include "host_window.h"
#include "launcher_texts.h"
#include "site_record.h"
#include "win32/gdi.h"
#include "win32/key_filter.h"
#include "win32/window.h"

class CWebApplicationManagerDlg : public win32::Dialog {
 public:
  CWebApplicationManagerDlg();
  // Runs the launcher modally until "Cancel" or the system menu's close.
  INT_PTR Run();

 protected:
  BOOL OnInit() override;
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct Button {
    CBmpButton widget;
    win32::Bitmap faces[4];  // the skin's order: normal, hover, pressed, disabled
  };

  void LoadVersionText();
  void PlaceButtons();
  void CentreOnScreen();
  void DrawBackground(HDC dc);
  void OnCommand(int control);
  void OnSiteSetup();
  // Runs the host of a remote function; a fault inside its control brings the launcher back.
  void OpenFunction(int control);
  // The login's verdict: the FunctionButton bits usable, the others locked.
  void SetFunctions(unsigned usable);
  void OnButtonHover(int control);
  void OnButtonLeave(int control);
  void OnHelpTimer();
  bool OnSysCommand(WPARAM command);

  HICON icon_;
  win32::Bitmap background_;
  Button buttons_[std::size(kLauncherButtons)];
  std::unique_ptr<win32::DiscardedKeys> discardedKeys_;
  std::unique_ptr<CActiveXHostDlg> openHost_;  // while a remote function runs

  SiteRecord site_{};  // the current site; size 0 until one is known
  bool siteKnown_ = false;
  std::wstring versionText_;
  std::wstring helpText_;  // of the button under the mouse
  int hoveredButton_ = 0;
  bool helpShown_ = false;
};
