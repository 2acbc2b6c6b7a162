// The skinned bitmap button of the player's panels: it draws its look into
// the owner's panel bitmap and tells the owner window by posted messages.
// Runs on the user-interface thread; drawing goes through the owner's panel.
#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "button_state.h"

namespace view {

class ImageButton {
 public:
  enum Kind { kPush = 0, kToggle = 1 };

  // Rectangle and faces come from the skin by the identifier.
  ImageButton(int id, const wchar_t* label, HWND owner, Kind kind, bool enabled);
  ~ImageButton();
  ImageButton(const ImageButton&) = delete;
  ImageButton& operator=(const ImageButton&) = delete;

  int Id() const { return id_; }
  const std::wstring& Name() const { return name_; }
  const RECT& Rect() const { return rect_; }
  void MoveTo(const RECT& rect) { rect_ = rect; }
  ButtonState& State() { return state_; }
  const ButtonState& State() const { return state_; }
  void SetAutoRepeat(UINT interval_ms);
  void SetTransparent(COLORREF colour);
  void SetNotifyOnPress() { state_.notify_on_press = true; }

  // Each returns whether the look changed; a null panel draws nothing.
  bool OnPress(HDC panel, bool held, int x, int y);
  bool OnRelease(HDC panel, bool held, int x, int y);
  bool OnMove(HDC panel, bool left_down, int x, int y);
  void Draw(HDC panel);

 private:
  bool Inside(int x, int y) const;
  bool Apply(HDC panel, const ButtonOutcome& o);
  static void CALLBACK RepeatTick(HWND owner, UINT, UINT_PTR id, DWORD);

  int id_;
  std::wstring name_;
  HWND owner_;
  ButtonState state_;
  UINT interval_ms_ = 0;
  bool transparent_ = false;
  COLORREF transparent_colour_ = 0;
  RECT rect_ = {};
  std::array<HBITMAP, 8> faces_ = {};  // plain looks, then the checked looks
};

}  // namespace view
