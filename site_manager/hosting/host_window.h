// The host windows of the five remote functions: each creates its control,
// hands it the current site and asks it to start; closing shows the
// launcher again.
#pragma once
#include <windows.h>

#include <memory>

#include "ostra_messages.h"
#include "remote_control.h"
#include "remote_controls.h"
#include "site_record.h"
#include "win32/key_filter.h"
#include "win32/window.h"

// What a host hands its control, in the order it is set.
enum class HostMember { kAddress, kPortText, kPortNumber, kUser, kPassword };

struct HostedFunction {
  int templateId;
  int kind;
  WORD title;      // Velmora name string
  int controlId;   // the control's window id
  WORD sizeRect;   // Velmora rectangle
  int memberCount;  // 0: nothing is passed and method 5 is not called
  HostMember members[4];
};

class CActiveXHostDlg : public win32::Dialog {
 public:
  explicit CActiveXHostDlg(const HostedFunction& function) : function_(function) {}

  // The launcher's part: the function kind and its current site. A port out
  // of range marks the site unusable (size 0).
  void Configure(int kind, SiteRecord* site);
  INT_PTR Run(HWND owner);
  // Whether the control faulted while the host ran.
  bool Faulted() { return Control().Faulted(); }

 protected:
  virtual CRemoteControl& Control() = 0;

 private:
  BOOL OnInit() override;
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void PassSite();
  void Close();

  const HostedFunction& function_;
  HICON icon_ = nullptr;
  int kind_ = 0;
  SiteRecord* site_ = nullptr;  // the launcher's, not owned
  std::u16string portText_;
  std::unique_ptr<win32::DiscardedKeys> discardedKeys_;
};

// The wrappers: a control window by its class identifier.
struct CViewerControl : CRemoteControl {
  CViewerControl() : CRemoteControl(CLSID_RemoteLiveView) {}
};
struct CBackupControl : CRemoteControl {
  CBackupControl() : CRemoteControl(CLSID_RemoteBackup) {}
};
struct CPlaybackControl : CRemoteControl {
  CPlaybackControl() : CRemoteControl(CLSID_RemotePlayback) {}
};
struct CSearchControl : CRemoteControl {
  CSearchControl() : CRemoteControl(CLSID_RemoteSearch) {}
};
struct CRemoteSetupControl : CRemoteControl {
  CRemoteSetupControl() : CRemoteControl(CLSID_RemoteSetup) {}
};

extern const HostedFunction kViewerHost, kBackupHost, kPlayerHost, kSearchHost, kRemoteSetupHost;

// A host with its control held by value.
template <class Wrapper, const HostedFunction& function>
class CHostOf final : public CActiveXHostDlg {
 public:
  CHostOf() : CActiveXHostDlg(function) {}

 private:
  CRemoteControl& Control() override { return control_; }
  Wrapper control_;
};

using CActiveXViewerCtlDlg = CHostOf<CViewerControl, kViewerHost>;
using CActiveXBackupCtlDlg = CHostOf<CBackupControl, kBackupHost>;
using CActiveXPlayerCtlDlg = CHostOf<CPlaybackControl, kPlayerHost>;
using CActiveXSearchCtlDlg = CHostOf<CSearchControl, kSearchHost>;
using CActiveXRemoteSetupCtlDlg = CHostOf<CRemoteSetupControl, kRemoteSetupHost>;

// The host of a launcher control (1001-1005), or null.
std::unique_ptr<CActiveXHostDlg> MakeHost(int launcherControl);
// The function kind of a launcher control, or 0.
int HostKindOf(int launcherControl);
