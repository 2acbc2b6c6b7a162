// CIPSetupDlg: one site entered by hand (address and port) or through a
// dynamic-DNS lookup by member ID and device name, with its location and the
// login's user ID and password. DDNS.ini beside the program chooses the
// variant and names the service; the lookup runs on a thread of its own and
// posts its result back, so it never touches a dialog that is gone.
#pragma once

#include <memory>
#include <string>

#include "site_record.h"
#include "win32/owners.h"
#include "win32/window.h"

class CIPSetupDlg : public win32::Dialog {
 public:
  explicit CIPSetupDlg(HWND owner);
  ~CIPSetupDlg() override;

  // IDOK when `record` holds the edited site.
  INT_PTR Run();

  // The caller copies the site in before Run (port 0 as 50000) and out after IDOK.
  SiteRecord record = NewSiteRecord();

  struct Lookup;  // shared by the dialog and its lookup thread

 protected:
  BOOL OnInit() override;
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ReadSettings();
  void LayOut();
  void SetState(bool useDdns);
  void StartLookup();
  void EnableLookupControls(bool enable);
  void OnLookupDone();
  void OnOk();
  std::u16string Text(int control, size_t maxChars = 1024) const;
  void SetText(int control, std::u16string_view text);

  HWND owner_;
  int ddnsMode_ = 1;
  std::u16string serverUrl_;
  bool useDdns_ = false;
  win32::UniqueHandle lookupThread_;
  std::shared_ptr<Lookup> lookup_;  // the last one started
};
