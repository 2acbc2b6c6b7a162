// CSiteSetup: the list of registered sites, where the person adds, changes,
// removes and saves sites and picks the one to log in to. It closes with OK
// only after a successful login; `selected` is then the chosen site.
#pragma once

#include "magic_list.h"
#include "site_list.h"
#include "win32/owners.h"
#include "win32/window.h"

class CSiteSetup : public win32::Dialog {
 public:
  explicit CSiteSetup(HWND owner);  // loads the site list
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
  SiteList sites_;
  CMagicList list_;
  HIMAGELIST rowHeight_ = nullptr;  // 1 x 20 images: the rows' height
};
