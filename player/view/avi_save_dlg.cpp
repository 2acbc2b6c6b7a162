#include "avi_save_dlg.h"

#include <algorithm>
#include <cstdio>

#include "panel.h"
#include "player_messages.h"

namespace view {

namespace {

enum : int { kStartButton = 513, kStopButton = 514 };
enum : int { kCameraList = 206, kRateList = 207, kSizeList = 208 };
constexpr int kLists[] = {kCameraList, kRateList, kSizeList};
constexpr int kListSkinIds[] = {516, 517, 518};
constexpr int kDropDownExtra = 40;  // pixels below a list for its drop-down part
constexpr int kCameras = 16, kRates = 30;

// Inserted in this order, which is also the sorted order.
constexpr wchar_t kSizeTexts[10][10] = {L" 10 MB", L" 30 MB", L" 50 MB", L" 80 MB", L"100 MB",
                                        L"150 MB", L"200 MB", L"300 MB", L"450 MB", L"650 MB"};
constexpr int kSizeMegabytes[10] = {10, 30, 50, 80, 100, 150, 200, 300, 450, 650};
constexpr int kPresetRate = 9, kPresetSize = 0;  // entries: 10 pictures a second, 10 MB

}  // namespace

win32::DialogTemplate AVISaveDlg::Template() const {
  win32::DialogTemplate t(WS_POPUP | WS_SYSMENU, 186, 95, L"Tahoma", 9);
  for (int id : kLists) t.AddControl(0x0085, WORD(id), CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0, 0, 40, 60);
  return t;
}

void AVISaveDlg::Build() {
  start_ = AddButton(kStartButton, L"OPTION START");
  AddButton(kStopButton, L"OPTION STOP");
  wchar_t text[8];
  for (int n = 1; n <= kCameras; ++n) {
    swprintf(text, 8, L"%02d", n);
    SendDlgItemMessageW(Hwnd(), kCameraList, CB_ADDSTRING, 0, LPARAM(text));
  }
  for (int n = 1; n <= kRates; ++n) {
    swprintf(text, 8, L"%02d", n);
    SendDlgItemMessageW(Hwnd(), kRateList, CB_ADDSTRING, 0, LPARAM(text));
  }
  for (const wchar_t* size : kSizeTexts) SendDlgItemMessageW(Hwnd(), kSizeList, CB_ADDSTRING, 0, LPARAM(size));
  for (int k = 0; k < 3; ++k) {
    SendDlgItemMessageW(Hwnd(), kLists[k], CB_SETCURSEL, 0, 0);
    const RECT r = SkinRect(WORD(kListSkinIds[k]));
    SetWindowPos(Item(kLists[k]), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top + kDropDownExtra,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void AVISaveDlg::PresetSelections(int camera) {
  SendDlgItemMessageW(Hwnd(), kCameraList, CB_SETCURSEL, WPARAM(camera), 0);
  SendDlgItemMessageW(Hwnd(), kRateList, CB_SETCURSEL, kPresetRate, 0);
  SendDlgItemMessageW(Hwnd(), kSizeList, CB_SETCURSEL, kPresetSize, 0);
}

AviChoices AVISaveDlg::ReadSelections() const {
  // A list without a selection (none is possible from the mouse) reads as its preset.
  const auto selected = [&](int id, int fallback) {
    const LRESULT n = SendDlgItemMessageW(Hwnd(), id, CB_GETCURSEL, 0, 0);
    return n == CB_ERR ? fallback : int(n);
  };
  AviChoices c;
  c.camera = selected(kCameraList, 0);
  c.rate = selected(kRateList, kPresetRate) + 1;
  c.size_mb = kSizeMegabytes[std::min(selected(kSizeList, kPresetSize), 9)];
  return c;
}

void AVISaveDlg::EnableStart(bool enabled) {
  EnableButton(start_, enabled);
  for (int id : kLists) EnableWindow(Item(id), enabled);
}

void AVISaveDlg::OnClick(int id) {
  if ((id != kStartButton && id != kStopButton) || !Player()) return;
  // Sent, not posted: the recording has started (or not) or stopped before
  // the buttons change.
  SendMessageW(Player(), UM_AVI_COMMAND, id == kStartButton ? kStartRecording : kStopRecording, 0);
  EnableStart(id == kStopButton);
}

INT_PTR AVISaveDlg::OnControl(UINT msg, WPARAM wp, LPARAM) {
  if (msg != WM_COMMAND || HIWORD(wp) != CBN_SELCHANGE) return FALSE;
  if (LOWORD(wp) == kCameraList) {
    const LRESULT n = SendDlgItemMessageW(Hwnd(), kCameraList, CB_GETCURSEL, 0, 0);
    if (n != CB_ERR && Player()) SendMessageW(Player(), UM_AVI_COMMAND, kShowCamera, LPARAM(n));
  }
  return TRUE;
}

}  // namespace view
