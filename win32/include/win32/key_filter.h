// Discards key-downs of Enter, Escape and Space aimed at a window or at any
// window inside it before they are dispatched, so that neither a dialog's
// own key handling nor a focused button sees them. A message hook of the
// thread does it, so it works inside modal loops that are not ours.
#pragma once
#include <windows.h>

namespace win32 {

class DiscardedKeys {
 public:
  explicit DiscardedKeys(HWND window);
  DiscardedKeys(const DiscardedKeys&) = delete;
  DiscardedKeys& operator=(const DiscardedKeys&) = delete;
  ~DiscardedKeys();

  // Whether msg is a key-down that a filter in force would discard.
  static bool IsDiscarded(const MSG& msg);

 private:
  HWND window_;
};

}  // namespace win32
