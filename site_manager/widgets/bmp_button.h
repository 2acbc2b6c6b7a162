// CBmpButton: a dialog's push button painted with skin faces by state, with
// the hand (or not-allowed) cursor and hover and leave notifications to a
// window of choice. It subclasses the control; the dialog hands its
// WM_DRAWITEM to DrawItemMessage.
#pragma once
#include <windows.h>

#include "button_state.h"
#include "ostra_messages.h"
#include "win32/window.h"

class CBmpButton : public win32::SubclassedControl {
 public:
  CBmpButton() = default;

  // Takes over the dialog's control: owner-drawn from now on.
  bool Attach(HWND dialog, int controlId);
  // Faces by the button's state numbering; a null pressed, hover or disabled
  // face shows the normal one. The caller keeps the bitmaps. Returns whether
  // the normal face is there.
  bool SetFaces(HBITMAP normal, HBITMAP pressed, HBITMAP hover, HBITMAP disabled);
  void Disable();
  void Enable();
  void SetNotifyWindow(HWND window) { notify_ = window; }

  ButtonFace Face() const { return state_.face(); }
  bool Active() const { return state_.active(); }

  // Paints the button an owner-draw message is for; false when it is not a CBmpButton.
  static bool DrawItemMessage(const DRAWITEMSTRUCT* item);

 private:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT React(const ButtonReaction& r, UINT msg, WPARAM wp, LPARAM lp);
  void Repaint() const;

  HWND notify_ = nullptr;
  HBITMAP faces_[4] = {};
  ButtonState state_;
};
