// Drives a real program's windows as a person would: the system's own input
// functions move the pointer, click, hold and type; pixels are read back from
// the screen and saved as PNG. Times are bounded; nothing waits forever.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "mark_reader.h"

namespace uidriver {

// Screen pixels, rows top first, 3 bytes (blue, green, red) a pixel.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint8_t> bgr;

  COLORREF At(int x, int y) const {
    const uint8_t* p = &bgr[(size_t(y) * width + x) * 3];
    return RGB(p[2], p[1], p[0]);
  }
  testsupport::PictureView View() const {
    return {bgr.data(), width, height, width * 3, testsupport::PixelFormat::kBgr24};
  }
  bool operator==(const Pixels&) const = default;
};

// For test messages: the size, not the bytes.
inline void PrintTo(const Pixels& p, std::ostream* out) { *out << p.width << " x " << p.height << " pixels"; }

// A program started for the test, with its top-level window; ended when it goes.
class Program {
 public:
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();

  // Starts `command_line` and waits for its visible top-level window titled `title`.
  bool Start(const std::wstring& command_line, const wchar_t* title, int timeout_ms = 20000);
  HWND Window() const { return window_; }
  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const;
  // Waits for the program to end by itself; false on timeout.
  bool WaitExit(int timeout_ms, DWORD* exit_code = nullptr);
  // A visible top-level window of the program with that class, other than its main one.
  HWND FindOwnWindow(const wchar_t* class_name) const;

 private:
  PROCESS_INFORMATION info_ = {};
  HWND window_ = nullptr;
};

// Polls `done` every step until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, int timeout_ms, int step_ms = 20);

void MoveTo(POINT screen);
void Click(POINT screen);
void MouseDown(POINT screen);
void MouseUp(POINT screen);
// Gives the window the keyboard: it becomes the foreground window.
bool Focus(HWND window);
void TypeText(const std::wstring& text);
// With `held` (VK_MENU for Alt+F4, say) held down around the key.
void PressKey(WORD virtual_key, WORD held = 0);

// The first window of that class among all the window's descendants, or null.
HWND FindDescendant(HWND window, const wchar_t* class_name);

// The client point of a window on the screen.
POINT OnScreen(HWND window, POINT client);
RECT OnScreen(HWND window, RECT client);
Pixels Capture(const RECT& screen_rect);
// Paints the desktop black. Under Wine the desktop is not repainted when a
// window closes: its last picture stays on the screen, and a new window at
// its place shows it until it paints itself. Cleared first, the screen shows
// no picture that the program started next did not draw.
void ClearScreen();
bool SavePng(const Pixels& pixels, const std::wstring& path);

}  // namespace uidriver
