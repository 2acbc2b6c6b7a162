// The base of the player's two skinned panels (image edit, AVI save): a
// modeless pop-up over the player window, its whole surface a skin bitmap
// with its buttons drawn into it. It follows the player window
// at the panel rectangle's offset. User-interface thread only, so the panel
// bitmap needs no lock.
#pragma once
#include <windows.h>

#include "panel_buttons.h"
#include "win32/dialog_template.h"
#include "win32/gdi.h"
#include "win32/window.h"

namespace view {

class SkinnedDialog : public win32::Dialog {
 public:
  // Created hidden, owned by the player window, which receives its commands.
  bool Create(HWND player);
  // Shown at the player's client origin plus the panel's offset, or hidden.
  // Closed by the user (Alt+F4), it hides and posts the player
  // UM_PANEL_CLOSED with its window; it goes only with Close.
  void Show(bool show);
  void Follow();
  void Close();

 protected:
  explicit SkinnedDialog(WORD panel_id) : panel_id_(panel_id) {}

  virtual win32::DialogTemplate Template() const = 0;
  // Makes the buttons and controls; the panel is drawn after it.
  virtual void Build() = 0;
  virtual void OnClick(int id) = 0;
  virtual INT_PTR OnControl(UINT msg, WPARAM wp, LPARAM lp) { return FALSE; }

  ImageButton* AddButton(int id, const wchar_t* label);
  void EnableButton(ImageButton* b, bool enabled);
  HWND Player() const { return player_; }

 private:
  BOOL OnInit() override;
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Copy(const RECT& r, HDC to = nullptr);
  void DropPanel();

  const WORD panel_id_;
  HWND player_ = nullptr;
  RECT panel_rect_ = {};  // its size is the dialog's, its left and top the offset in the player window
  win32::Bitmap panel_;
  win32::MemoryDC panel_dc_;
  HGDIOBJ panel_old_ = nullptr;
  PanelButtons buttons_;  // as long as the object
  bool captured_ = false, tracking_leave_ = false;
};

}  // namespace view
