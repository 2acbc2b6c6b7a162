#include "host_window.h"

#include "host_port.h"
#include "hosting_resource.h"
#include "velmora.h"

using M = HostMember;
const HostedFunction kViewerHost = {IDD_VIEWER_HOST, 2, 3, 2002, 33, 4, {M::kAddress, M::kPortText, M::kUser, M::kPassword}};
const HostedFunction kBackupHost = {IDD_BACKUP_HOST, 4, 4, 2003, 34, 4, {M::kAddress, M::kPortText, M::kUser, M::kPassword}};
const HostedFunction kPlayerHost = {IDD_PLAYER_HOST, 3, 5, 2004, 35, 0, {}};
const HostedFunction kSearchHost = {IDD_SEARCH_HOST, 5, 6, 2006, 36, 4, {M::kPortText, M::kAddress, M::kUser, M::kPassword}};
const HostedFunction kRemoteSetupHost = {IDD_REMOTE_SETUP_HOST, 6, 2, 2005, 32, 4,
                                         {M::kAddress, M::kPortNumber, M::kUser, M::kPassword}};

namespace {

constexpr RECT kControlRect = {0, 0, 1024, 768};  // clipped to the host's client area

struct LauncherFunction {
  int control;
  const HostedFunction* function;
};
constexpr LauncherFunction kLauncherFunctions[] = {
    {1001, &kViewerHost}, {1002, &kBackupHost}, {1003, &kPlayerHost}, {1004, &kSearchHost}, {1005, &kRemoteSetupHost}};

}  // namespace

int HostKindOf(int launcherControl) {
  for (const LauncherFunction& f : kLauncherFunctions)
    if (f.control == launcherControl) return f.function->kind;
  return 0;
}

std::unique_ptr<CActiveXHostDlg> MakeHost(int launcherControl) {
  switch (launcherControl) {
    case 1001: return std::make_unique<CActiveXViewerCtlDlg>();
    case 1002: return std::make_unique<CActiveXBackupCtlDlg>();
    case 1003: return std::make_unique<CActiveXPlayerCtlDlg>();
    case 1004: return std::make_unique<CActiveXSearchCtlDlg>();
    case 1005: return std::make_unique<CActiveXRemoteSetupCtlDlg>();
  }
  return nullptr;
}

void CActiveXHostDlg::Configure(int kind, SiteRecord* site) {
  kind_ = kind;
  site_ = site;
  portText_ = HostPortText(site->port);
  if (portText_.empty()) site->size = 0;
}

INT_PTR CActiveXHostDlg::Run(HWND owner) {
  return win32::Dialog::Run(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(function_.templateId), owner);
}

BOOL CActiveXHostDlg::OnInit() {
  HWND hwnd = Hwnd();
  discardedKeys_ = std::make_unique<win32::DiscardedKeys>(hwnd);
  icon_ = SMAPI_GetResourceIconHandle(48);
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, LPARAM(icon_));
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, LPARAM(icon_));
  if (kind_ != function_.kind) return TRUE;

  wchar_t title[kNameStringUnits] = {};
  SMAPI_GetResourceNameString(function_.title, title);
  SetWindowTextW(hwnd, title);
  // The control makes its own window, hidden, and shows it itself.
  if (!Control().Create(title, kControlRect, hwnd, function_.controlId)) {
    SendMessageW(hwnd, UM_CLOSEHOST, 0, 0);
    return TRUE;
  }
  if (site_ && site_->size == kSiteRecordSize) PassSite();

  RECT r{};
  SMAPI_GetResourceRect(function_.sizeRect, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
               width, height, SWP_NOZORDER);
  return TRUE;
}

void CActiveXHostDlg::PassSite() {
  if (function_.memberCount == 0) return;
  for (int i = 0; i < function_.memberCount; ++i) {
    const DISPID member = i + 1;
    switch (function_.members[i]) {
      case M::kAddress: Control().PutText(member, std::u16string(SiteText(site_->ip))); break;
      case M::kPortText: Control().PutText(member, portText_); break;
      case M::kPortNumber: Control().PutNumber(member, ULONG(site_->port)); break;
      case M::kUser: Control().PutText(member, std::u16string(SiteText(site_->id))); break;
      case M::kPassword: Control().PutText(member, std::u16string(SiteText(site_->pwd))); break;
    }
  }
  Control().CallMethod(kRemoteStartMethod);
}

void CActiveXHostDlg::Close() {
  HWND hwnd = Hwnd();
  ShowWindow(hwnd, SW_HIDE);
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
  if (HWND owner = GetWindow(hwnd, GW_OWNER)) PostMessageW(owner, UM_SHOWLAUNCHER, 0, 0);
  End(IDOK);
}

INT_PTR CActiveXHostDlg::OnMessage(UINT msg, WPARAM, LPARAM) {
  switch (msg) {
    case WM_CLOSE:
    case UM_CLOSEHOST:
      Close();
      return TRUE;
    case WM_DESTROY:
      discardedKeys_.reset();
      return FALSE;
  }
  return FALSE;
}
