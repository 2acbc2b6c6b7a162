#include "login_dialog.h"

#include <string>

#include "corvane_header.h"
#include "dialog_texts.h"
#include "login_packets.h"
#include "login_resource.h"
#include "velmora.h"
#include "win32/main_window.h"
#include "win32/text_codec.h"

namespace {

constexpr wchar_t kSection[] = L"LOGIN";

std::string Ansi(std::u16string_view text) { return win32::ToAnsi(text, win32::kAnsiExactHash); }

}  // namespace

INT_PTR CLoginDlg::Run() { return Dialog::Run(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LOGIN), owner_); }

BOOL CLoginDlg::OnInit() {
  SetSiteDialogTitle(Hwnd());
  SetSkinCaption(Hwnd(), 2061, kSection, L"ID", L"ID");
  SetSkinCaption(Hwnd(), 2062, kSection, L"Password", L"PASSWORD");
  SetSkinCaption(Hwnd(), kLoginButton, kSection, L"Login", L"LOGIN");
  SetSkinCaption(Hwnd(), kCancelButton, kSection, L"Cancel", L"Cancel");
  connecting_ = loggedIn_ = errorShown_ = false;
  NSMGAPI_Initialize();
  connection_ = NSMGAPI_Create(Hwnd());
  if (!connection_) PostQuitMessage(0);  // without a connection object the program ends
  const std::u16string_view id = SiteText(record.id);
  SetDlgItemTextW(Hwnd(), kIdEdit, std::wstring(id.begin(), id.end()).c_str());
  SendMessageW(Item(kPasswordEdit), EM_LIMITTEXT, 8, 0);
  CentreOn(Hwnd(), owner_);
  SetFocus(Item(kPasswordEdit));
  return FALSE;  // the focus is set
}

void CLoginDlg::ShowOnce(const char16_t* key, const char16_t* text) {
  if (errorShown_) return;
  errorShown_ = true;
  ShowSkinMessage(kSection, key, text);
}

void CLoginDlg::SetFunctions(unsigned usable) {
  if (HWND launcher = win32::MainWindow()) SendMessageW(launcher, UM_SETFUNCTIONS, usable, 0);
}

void CLoginDlg::OnLogin() {
  if (connecting_) return;
  connecting_ = true;
  EnableWindow(Item(kLoginButton), FALSE);
  const ConnectSocketInfo info = MakeConnectSocketInfo(Ansi(SiteText(record.ip)), record.port);
  KillTimer(Hwnd(), kHandshakeTimer);
  requestSent_ = false;
  timerId_ = SetTimer(Hwnd(), kTimeoutTimer, kTimeoutMs, nullptr);
  deadline_ = GetTickCount64() + kTimeoutMs;
  if (!NSMGAPI_Connect(connection_, &info)) connecting_ = false;
  errorShown_ = false;
}

void CLoginDlg::OnConnectResult(bool connected) {
  if (connected) {  // the opening packet after a pause, without holding the window
    SetTimer(Hwnd(), kHandshakeTimer, kHandshakeDelayMs, nullptr);
    return;
  }
  connecting_ = false;
  if (!errorShown_) {
    ShowOnce(u"Socket", u"Fail Connect");
    EnableLogin();
  }
  loggedIn_ = false;
}

void CLoginDlg::OnHandshakeTimer() {
  KillTimer(Hwnd(), kHandshakeTimer);
  if (connecting_) NSMGAPI_SendInitPacketData(connection_);
}

void CLoginDlg::SendLoginRequest() {
  if (requestSent_ || !connecting_) return;  // once per attempt, whatever the recorder repeats
  requestSent_ = true;
  wchar_t typed[16] = {};
  GetDlgItemTextW(Hwnd(), kPasswordEdit, typed, 16);
  const std::u16string password(typed, typed + wcslen(typed));
  const LoginRequest request = MakeLoginRequest(Ansi(SiteText(record.id)), Ansi(password), SMAPI_GetSkinCode());
  if (!NSMGAPI_SendPacketData(connection_, 1, &request, sizeof(request))) Reset();
}

void CLoginDlg::OnAnswer(const uint8_t* header, const uint8_t* payload) {
  const std::optional<int32_t> code = LoginResultCode(header, payload);  // a short answer is a refusal
  if (code == kLoginAccepted) {
    loggedIn_ = true;
    SetFunctions(FunctionsOfUser(SiteText(record.id)));
    End(IDOK);
    Reset();  // closes the connection
    return;
  }
  if (std::optional<LoginMessage> m = code ? MessageOf(*code) : std::nullopt) ShowOnce(m->key, m->text);
  ClearPassword();
  SetFunctions(kNoFunctions);
  EnableLogin();
  Reset();
}

void CLoginDlg::OnPacket(const uint8_t* header, const uint8_t* payload) {
  if (!header) return;
  const uint16_t command = corvane::ReadU16(header + corvane::kCommandOffset);
  if (command == corvane::kHandshakeAnswer)
    SendLoginRequest();
  else if (command == corvane::kLoginCommand)
    OnAnswer(header, payload);
}

void CLoginDlg::OnTimeout() {
  // The timer goes and the connection closes before the message shows, so
  // that nothing of the attempt reaches the dialog while the box is up.
  KillTimer(Hwnd(), kTimeoutTimer);
  KillTimer(Hwnd(), kHandshakeTimer);
  timerId_ = 0;
  const bool show = !errorShown_;
  Reset();
  if (show) {
    ShowOnce(u"Socket", u"Fail Connect");
    EnableLogin();
  }
}

void CLoginDlg::Reset() {
  if (connecting_) {
    connecting_ = false;
    NSMGAPI_Disconnect(connection_);
    loggedIn_ = false;
    return;
  }
  ClearPassword();
  SetFunctions(kNoFunctions);
  EnableLogin();
}

void CLoginDlg::OnCancel() {
  KillTimer(Hwnd(), kTimeoutTimer);
  KillTimer(Hwnd(), kHandshakeTimer);
  timerId_ = 0;
  Reset();
  NSMGAPI_Uninitialize();
  End(IDCANCEL);
}

INT_PTR CLoginDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case UM_CONNECT_RESULT:
    case UM_CONNECTION_CLOSED:
    case UM_PACKET:
    case UM_PACKET_OTHER:
      // A peer that sends without pause keeps the window's queue busy, and
      // timers come only when it is empty: the time-out is due all the same.
      if (PastDeadline()) {
        OnTimeout();
        return TRUE;
      }
      break;
  }
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kLoginButton && HIWORD(wp) == BN_CLICKED) OnLogin();
      if (LOWORD(wp) == kCancelButton && HIWORD(wp) == BN_CLICKED) OnCancel();
      return TRUE;  // Enter and Escape (IDOK, IDCANCEL) close nothing
    case WM_TIMER:
      if (wp == kTimeoutTimer) OnTimeout();
      if (wp == kHandshakeTimer) OnHandshakeTimer();
      return TRUE;
    case UM_CONNECT_RESULT:
      OnConnectResult(wp != 0);
      return TRUE;
    case UM_CONNECTION_CLOSED:
      Reset();
      return TRUE;
    case UM_PACKET:
    case UM_PACKET_OTHER:
      OnPacket(reinterpret_cast<const uint8_t*>(wp), reinterpret_cast<const uint8_t*>(lp));
      return TRUE;
  }
  return FALSE;
}
