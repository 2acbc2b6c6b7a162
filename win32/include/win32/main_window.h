// The application's main window, as the program names it once it exists;
// dialogs deep inside it reach it here. Null until then.
#pragma once
#include <windows.h>

namespace win32 {

inline HWND& MainWindowSlot() {
  static HWND main = nullptr;
  return main;
}
inline void SetMainWindow(HWND window) { MainWindowSlot() = window; }
inline HWND MainWindow() { return MainWindowSlot(); }

}  // namespace win32
