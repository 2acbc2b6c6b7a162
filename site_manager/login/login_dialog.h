// CLoginDlg: checks a user's ID and password at a recorder through Corvane,
// then sets the launcher's four function buttons for the user's level. One
// attempt at a time, each with its own 10-second time-out and at most one
// message box. Nothing here waits for the network: Corvane queues what is
// sent, the opening packet follows the connection by a timer, and the login
// request goes once per attempt, however often the recorder asks for it.
// The time-out is also looked at whenever a notification comes, so a
// recorder that floods cannot hold it off.
#pragma once

#include "corvane.h"
#include "ostra_messages.h"
#include "site_record.h"
#include "win32/window.h"

class CLoginDlg : public win32::Dialog {
 public:
  explicit CLoginDlg(HWND owner) : owner_(owner) {}

  // IDOK after a successful login.
  INT_PTR Run();

  // The caller copies the site in before Run, port 0 as 50000.
  SiteRecord record = NewSiteRecord();

 protected:
  BOOL OnInit() override;
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnLogin();
  void OnConnectResult(bool connected);
  void OnHandshakeTimer();
  // Whether the attempt's time is up; the notifications look at it first.
  bool PastDeadline() const { return timerId_ != 0 && GetTickCount64() >= deadline_; }
  void OnPacket(const uint8_t* header, const uint8_t* payload);
  void SendLoginRequest();
  void OnAnswer(const uint8_t* header, const uint8_t* payload);
  void OnTimeout();
  void Reset();
  void OnCancel();
  // A message once per attempt.
  void ShowOnce(const char16_t* key, const char16_t* text);
  void SetFunctions(unsigned usable);
  void EnableLogin() { EnableWindow(Item(kLoginButton), TRUE); }
  void ClearPassword() { SetDlgItemTextW(Hwnd(), kPasswordEdit, L""); }

  static constexpr int kIdEdit = 2063, kPasswordEdit = 2064, kLoginButton = 2065, kCancelButton = 2066;
  static constexpr UINT_PTR kTimeoutTimer = 2000;
  static constexpr UINT_PTR kHandshakeTimer = 2001;
  static constexpr UINT kTimeoutMs = 10000;
  static constexpr DWORD kHandshakeDelayMs = 400;  // after the connection, before the opening packet

  HWND owner_;
  NSMG_HANDLE connection_ = nullptr;
  bool connecting_ = false;
  bool loggedIn_ = false;
  bool errorShown_ = false;
  bool requestSent_ = false;  // the login request of this attempt is on its way
  UINT_PTR timerId_ = 0;
  ULONGLONG deadline_ = 0;    // when the attempt's time-out is due
};
