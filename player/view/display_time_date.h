// The panel's clock: a static control that shows the local time as hh:mm:ss
// with the skin's digit glyphs, recomposed every 500 ms.
#pragma once
#include <windows.h>

#include "win32/gdi.h"
#include "win32/window.h"

namespace view {

class DisplayTimeDate : public win32::Window {
 public:
  static constexpr UINT_PTR kTimer = 2000;
  static constexpr UINT kTickMs = 500;

  ~DisplayTimeDate() override { Stop(); }
  // The control with identifier `id` on skin rectangle 58 of the parent.
  bool Create(HWND parent, int id);
  void Start();
  void Stop();

 private:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Compose();
  void PaintTo(HDC dc);

  win32::Bitmap glyphs_, clock_;
  UINT_PTR timer_ = 0;
  RECT placement_ = {};
};

}  // namespace view
