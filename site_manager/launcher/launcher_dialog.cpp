#include "launcher_dialog.h"

#include <cwchar>
#include <utility>
#include <vector>

#include "about_dialog.h"
#include "login_dialog.h"
#include "login_packets.h"
#include "resource.h"
#include "site_edit_dialog.h"
#include "site_list.h"
#include "site_setup_dialog.h"
#include "skin_drawing.h"
#include "skin_rect.h"
#include "velmora.h"
#include "win32/main_window.h"
#include "win32/version_text.h"

namespace {

constexpr UINT_PTR kHelpTimer = 100;
constexpr UINT kHelpDelayMs = 100;
constexpr UINT kAboutCommand = 0x0010;  // 0x0010-0x001F open the about box

// Skin rectangles of the launcher.
constexpr WORD kBackgroundRect = 0, kHelpRect = 10, kIdRect = 11, kAddressRect = 12, kVersionRect = 13;
// Skin text colours.
constexpr WORD kIdColour = 11, kAddressColour = 12, kVersionColour = 13;

using skin::SkinRect;

void DrawSkinText(HDC dc, const std::wstring& text, WORD rectId, WORD colourId) {
  COLORREF colour = 0;
  SMAPI_GetTextColorValue(colourId, &colour);
  SetTextColor(dc, colour);
  RECT r = SkinRect(rectId);
  DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_VCENTER);
}

std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

// The function buttons that the login enables or locks.
struct FunctionControl {
  unsigned function;
  int control;
};
constexpr FunctionControl kLoginControls[] = {
    {kLiveView, 1001}, {kBackup, 1002}, {kSearch, 1004}, {kRemoteSetup, 1005}};

}  // namespace

CWebApplicationManagerDlg::CWebApplicationManagerDlg() : icon_(SMAPI_GetResourceIconHandle(48)) {}

INT_PTR CWebApplicationManagerDlg::Run() {
  return win32::Dialog::Run(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LAUNCHER), nullptr);
}

BOOL CWebApplicationManagerDlg::OnInit() {
  HWND hwnd = Hwnd();
  win32::SetMainWindow(hwnd);
  discardedKeys_ = std::make_unique<win32::DiscardedKeys>(hwnd);

  wchar_t text[kHelpStringUnits];
  SMAPI_GetResourceHelpString(48, text);
  if (HMENU menu = GetSystemMenu(hwnd, FALSE); menu && text[0]) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kAboutCommand, text);
  }
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, LPARAM(icon_));
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, LPARAM(icon_));
  SMAPI_GetResourceHelpString(0, text);
  SetWindowTextW(hwnd, (L"  " + std::wstring(text)).c_str());

  LoadVersionText();
  siteKnown_ = ReadFirstSite(site_);

  // Size and shape from the background, then the buttons where the skin puts them.
  background_.Reset(SMAPI_GetResourceBitmapHandle(0));
  BITMAP info{};
  if (background_ && GetObjectW(background_.Get(), sizeof(info), &info)) {
    SetWindowPos(hwnd, nullptr, 0, 0, info.bmWidth, info.bmHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (HRGN shape = CreateRegionFromBitmap(background_.Get())) SetWindowRgn(hwnd, shape, TRUE);
  }
  CentreOnScreen();
  PlaceButtons();
  return TRUE;
}

void CWebApplicationManagerDlg::LoadVersionText() { versionText_ = win32::VersionStringText(nullptr); }

void CWebApplicationManagerDlg::PlaceButtons() {
  for (size_t i = 0; i < std::size(kLauncherButtons); ++i) {
    const LauncherButton& entry = kLauncherButtons[i];
    Button& b = buttons_[i];
    if (!b.widget.Attach(Hwnd(), entry.control)) continue;
    HBITMAP face[4] = {};
    SMAPI_GetResourceBitmapHandle(entry.skinId, &face[0], &face[1], &face[2], &face[3]);
    for (int f = 0; f < 4; ++f) b.faces[f].Reset(face[f]);
    b.widget.SetFaces(face[0], face[2], face[1], face[3]);  // the button's order: normal, pressed, hover, disabled
    RECT r = SkinRect(entry.skinId);
    SetWindowPos(b.widget.Hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
    b.widget.SetNotifyWindow(Hwnd());
    if (entry.disabledAtStart) b.widget.Disable();
  }
}

void CWebApplicationManagerDlg::CentreOnScreen() {
  RECT r;
  GetWindowRect(Hwnd(), &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  SetWindowPos(Hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWebApplicationManagerDlg::DrawBackground(HDC dc) {
  RECT all = SkinRect(kBackgroundRect);
  DrawBitmap(background_.Get(), dc, all.left, all.top, all.right, all.bottom);
  SetBkMode(dc, TRANSPARENT);
  DrawSkinText(dc, versionText_, kVersionRect, kVersionColour);
  if (siteKnown_) {
    DrawSkinText(dc, Wide(IdText(SiteText(site_.id))), kIdRect, kIdColour);
    DrawSkinText(dc, Wide(AddressText(SiteText(site_.ip))), kAddressRect, kAddressColour);
  }
  if (helpShown_) {
    RECT help = SkinRect(kHelpRect);
    DrawHelpBox(helpText_.c_str(), int(helpText_.size()), dc, help.left, help.top, help.right, help.bottom);
  }
}

void CWebApplicationManagerDlg::OnCommand(int control) {
  if (control == kCancelControl) {
    End(IDOK);
  } else if (control == kIpSetupControl) {
    OnSiteSetup();
  } else if (IsRemoteFunction(control)) {
    OpenFunction(control);
  }
}

void CWebApplicationManagerDlg::OpenFunction(int control) {
  if (openHost_) return;
  openHost_ = MakeHost(control);
  if (!openHost_) return;
  EnableWindow(Hwnd(), FALSE);
  ShowWindow(Hwnd(), SW_HIDE);
  openHost_->Configure(HostKindOf(control), &site_);
  openHost_->Run(Hwnd());
  const bool faulted = openHost_->Faulted();
  openHost_.reset();
  if (faulted) {
    helpShown_ = false;
    EnableWindow(Hwnd(), TRUE);
    ShowWindow(Hwnd(), SW_SHOW);
    CentreOnScreen();
  }
}

void CWebApplicationManagerDlg::OnSiteSetup() {
  SiteDialogs dialogs;
  dialogs.edit = [](HWND owner, SiteRecord& site) {
    CIPSetupDlg edit(owner);
    edit.record = site;
    if (edit.Run() != IDOK) return false;
    site = edit.record;
    return true;
  };
  dialogs.login = [](HWND owner, const SiteRecord& site) {
    CLoginDlg login(owner);
    login.record = site;
    return login.Run() == IDOK;
  };
  CSiteSetup setup(Hwnd(), std::move(dialogs));
  if (setup.Run() != IDOK) return;
  site_ = setup.selected;
  for (WORD id : {kIdRect, kAddressRect}) {
    RECT r = SkinRect(id);
    InvalidateRect(Hwnd(), &r, TRUE);
  }
  siteKnown_ = true;
}

void CWebApplicationManagerDlg::SetFunctions(unsigned usable) {
  for (const FunctionControl& f : kLoginControls) {
    for (size_t i = 0; i < std::size(kLauncherButtons); ++i) {
      if (kLauncherButtons[i].control != f.control) continue;
      CBmpButton& button = buttons_[i].widget;
      const bool wanted = (usable & f.function) != 0;
      if (wanted && !button.Active()) button.Enable();
      if (!wanted && button.Active()) button.Disable();
    }
  }
}

void CWebApplicationManagerDlg::OnButtonHover(int control) {
  if (hoveredButton_ && hoveredButton_ != control) OnButtonLeave(hoveredButton_);
  hoveredButton_ = control;
  std::optional<uint16_t> help = HelpStringOf(control);
  if (!help) return;
  wchar_t text[kHelpStringUnits];
  SMAPI_GetResourceHelpString(*help, text);
  helpText_ = text;
  SetTimer(Hwnd(), kHelpTimer, kHelpDelayMs, nullptr);
}

void CWebApplicationManagerDlg::OnButtonLeave(int control) {
  if (control != hoveredButton_) return;
  hoveredButton_ = 0;
  if (!IsFunctionControl(control)) return;
  helpText_.clear();
  KillTimer(Hwnd(), kHelpTimer);
  if (!helpShown_) return;
  helpShown_ = false;
  // A box of four or more lines reaches beyond its rectangle.
  RECT r = SkinRect(kHelpRect);
  r.top -= 100;
  r.bottom += 100;
  InvalidateRect(Hwnd(), &r, TRUE);
}

void CWebApplicationManagerDlg::OnHelpTimer() {
  KillTimer(Hwnd(), kHelpTimer);
  RECT r = SkinRect(kHelpRect);
  if (r.right <= r.left || r.bottom <= r.top) {
    helpShown_ = false;
    return;
  }
  win32::WindowDC dc(Hwnd());
  DrawHelpBox(helpText_.c_str(), int(helpText_.size()), dc.Get(), r.left, r.top, r.right, r.bottom);
  helpShown_ = true;
}

bool CWebApplicationManagerDlg::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) != kAboutCommand) return false;
  CAboutDlg about;
  about.Run(Hwnd());
  return true;
}

INT_PTR CWebApplicationManagerDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      DrawBackground(reinterpret_cast<HDC>(wp));
      SetWindowLongPtrW(Hwnd(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_PAINT:
      if (IsIconic(Hwnd())) {
        win32::PaintDC paint(Hwnd());
        RECT client;
        GetClientRect(Hwnd(), &client);
        DrawIcon(paint.Get(), (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                 (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, icon_);
        return TRUE;
      }
      return FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon_);
    case WM_DRAWITEM:
      return CBmpButton::DrawItemMessage(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) OnCommand(LOWORD(wp));
      return TRUE;
    case WM_SYSCOMMAND:
      return OnSysCommand(wp);
    case WM_CLOSE:
      End(IDCANCEL);
      return TRUE;
    case WM_TIMER:
      if (wp == kHelpTimer) OnHelpTimer();
      return TRUE;
    case UM_BUTTONHOVER:
      OnButtonHover(int(wp));
      return TRUE;
    case UM_BUTTONLEAVE:
      OnButtonLeave(int(wp));
      return TRUE;
    case UM_SETFUNCTIONS:
      SetFunctions(unsigned(wp));
      return TRUE;
    case UM_SHOWLAUNCHER:
      EnableWindow(Hwnd(), TRUE);
      ShowWindow(Hwnd(), SW_SHOW);
      CentreOnScreen();
      return FALSE;
    case WM_DESTROY:
      KillTimer(Hwnd(), kHelpTimer);
      discardedKeys_.reset();
      win32::SetMainWindow(nullptr);
      return FALSE;
  }
  return FALSE;
}
