// CSiteSetup: the list of registered sites, where the person adds, changes,
// removes and saves sites and picks the one to log in to. It closes with OK
// only after a successful login; `selected` is then the chosen site.
#pragma once

#include <functional>

#include "magic_list.h"
#include "site_list.h"
#include "win32/owners.h"
#include "win32/window.h"

// The dialogs the list opens, given by the program.
struct SiteDialogs {
  // Edits `site` in place (port 0 comes as 50000); true when it was confirmed.
  std::function<bool(HWND owner, SiteRecord& site)> edit;
  // True after a successful login to `site`.
  std::function<bool(HWND owner, const SiteRecord& site)> login;
};

class CSiteSetup : public win32::Dialog {
 public:
  CSiteSetup(HWND owner, SiteDialogs dialogs);  // loads the site list
  ~CSiteSetup() override;

  INT_PTR Run();

  SiteRecord selected = NewSiteRecord();

 protected:
  BOOL OnInit() override;
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void FillRows();
  void WriteRow(int row, const SiteRecord& site);
  // The record of the selected row, or null.
  SiteRecord* SelectedSite(int* row = nullptr) const;
  void OnNewSite();
  void OnUpdate();
  void OnDelete();
  void OnSelect();
  // Saves the list; a failure is shown, and the file keeps what it held.
  void Save();

  HWND owner_;
  SiteDialogs dialogs_;
  SiteList sites_;
  CMagicList list_;
  HIMAGELIST rowHeight_ = nullptr;  // 1 x 20 images: the rows' height
};
