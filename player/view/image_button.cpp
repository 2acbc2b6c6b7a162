#include "image_button.h"

#include "player_messages.h"
#include "smapi.h"
#include "win32/gdi.h"

namespace view {

namespace {
// One button repeats at a time in the process.
ImageButton* g_repeating = nullptr;
}  // namespace

ImageButton::ImageButton(int id, const wchar_t* label, HWND owner, Kind kind, bool enabled)
    : id_(id), name_(label), owner_(owner) {
  state_.toggle = kind == kToggle;
  state_.Enable(enabled);
  SMAPI_GetResourceRect(WORD(id), &rect_);
  SMAPI_GetResourceBitmapHandle(WORD(id), &faces_[0], &faces_[1], &faces_[2], &faces_[3]);
  if (state_.toggle) SMAPI_GetResourceBitmapHandleEx(WORD(id), &faces_[4], &faces_[5], &faces_[6], &faces_[7]);
  // A face set comes as normal, hover, pressed, disabled: the order of the looks.
}

ImageButton::~ImageButton() {
  if (g_repeating == this) {
    KillTimer(owner_, UINT_PTR(id_));
    g_repeating = nullptr;
  }
  for (HBITMAP face : faces_)
    if (face) DeleteObject(face);
}

void ImageButton::SetAutoRepeat(UINT interval_ms) {
  state_.auto_repeat = true;
  interval_ms_ = interval_ms;
}

void ImageButton::SetTransparent(COLORREF colour) {
  transparent_ = true;
  transparent_colour_ = colour;
}

bool ImageButton::Inside(int x, int y) const {
  return x >= rect_.left && x < rect_.right && y >= rect_.top && y < rect_.bottom;
}

bool ImageButton::Apply(HDC panel, const ButtonOutcome& o) {
  if (o.start_repeat) {
    g_repeating = this;
    SetTimer(owner_, UINT_PTR(id_), interval_ms_ ? interval_ms_ : 10, RepeatTick);
  }
  if (o.stop_repeat) {
    KillTimer(owner_, UINT_PTR(id_));
    g_repeating = nullptr;
  }
  if (o.down) PostMessageW(owner_, UM_BUTTON_DOWN, WPARAM(id_), 0);
  if (o.click) PostMessageW(owner_, UM_BUTTON_CLICK, WPARAM(id_), LPARAM(state_.checked * 65536 + state_.toggle));
  if (o.repeat_end) PostMessageW(owner_, UM_BUTTON_REPEAT_END, WPARAM(id_), 0);
  if (o.changed && panel && state_.visible) Draw(panel);
  return o.changed;
}

bool ImageButton::OnPress(HDC panel, bool held, int x, int y) { return Apply(panel, Press(state_, Inside(x, y), held)); }

bool ImageButton::OnRelease(HDC panel, bool held, int x, int y) {
  return Apply(panel, Release(state_, Inside(x, y), held));
}

bool ImageButton::OnMove(HDC panel, bool left_down, int x, int y) {
  return Apply(panel, Move(state_, Inside(x, y), left_down));
}

void ImageButton::Draw(HDC panel) {
  const int index = FaceIndex(state_);
  HBITMAP face = faces_[index];
  if (!face && state_.look == ButtonLook::kDisabled) face = faces_[index - 3];  // the set's normal look
  if (!face || !panel) return;
  win32::MemoryDC dc(panel);
  win32::SelectedObject use(dc.Get(), face);
  const int w = rect_.right - rect_.left, h = rect_.bottom - rect_.top;
  if (transparent_) TransparentBlt(panel, rect_.left, rect_.top, w, h, dc.Get(), 0, 0, w, h, transparent_colour_);
  else BitBlt(panel, rect_.left, rect_.top, w, h, dc.Get(), 0, 0, SRCCOPY);
  PostMessageW(owner_, UM_BUTTON_DRAWN, WPARAM(id_), LPARAM(&rect_));
}

void CALLBACK ImageButton::RepeatTick(HWND owner, UINT, UINT_PTR id, DWORD) {
  ImageButton* b = g_repeating;
  if (b && b->id_ == int(id) && b->owner_ == owner && b->state_.auto_repeat) {
    PostMessageW(owner, UM_BUTTON_CLICK, id, LPARAM(b->state_.checked * 65536 + b->state_.toggle));
    return;
  }
  KillTimer(owner, id);
  if (b && b->id_ == int(id) && b->owner_ == owner) g_repeating = nullptr;
}

}  // namespace view
