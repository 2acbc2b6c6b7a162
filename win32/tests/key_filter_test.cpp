// Enter, Escape and Space typed at a window with a focused push button:
// discarded while the filter is in force, acted on once it is gone.
#include "win32/key_filter.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "message_pump.h"

namespace {

std::vector<WORD> g_commands;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) g_commands.push_back(LOWORD(wp));
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void Type(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD vk : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = vk;
    INPUT up = down;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(down);
    inputs.push_back(up);
  }
  SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

TEST(DiscardedKeys, EnterEscapeAndSpaceReachNothingWhileInForce) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KeyFilterTest";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"keys", WS_POPUP | WS_VISIBLE, 100, 100, 200,
                                100, nullptr, nullptr, wc.hInstance, nullptr);
  HWND button = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 10, 80,
                                30, window, HMENU(7), wc.hInstance, nullptr);
  ASSERT_TRUE(window && button);
  SetForegroundWindow(window);
  SetFocus(button);
  testsupport::PumpFor(200, window);  // as a modal dialog's loop runs it
  ASSERT_EQ(GetFocus(), button);

  auto filter = std::make_unique<win32::DiscardedKeys>(window);
  Type({VK_RETURN, VK_ESCAPE, VK_SPACE});
  testsupport::PumpFor(300, window);
  EXPECT_TRUE(g_commands.empty());

  filter.reset();
  Type({VK_SPACE, VK_ESCAPE});
  testsupport::PumpFor(300, window);
  EXPECT_EQ(g_commands, (std::vector<WORD>{7, IDCANCEL}));

  DestroyWindow(window);
}

TEST(DiscardedKeys, OnlyTheThreeKeyDownsOfFilteredWindowsAreDiscarded) {
  HWND outer = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND inner = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, outer, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  win32::DiscardedKeys filter(outer);
  auto discarded = [](HWND w, UINT msg, WPARAM key) { 
    MSG m{};
    m.hwnd = w;
    m.message = msg;
    m.wParam = key;
    return win32::DiscardedKeys::IsDiscarded(m);
  };
  EXPECT_TRUE(discarded(inner, WM_KEYDOWN, VK_SPACE));
  EXPECT_TRUE(discarded(outer, WM_KEYDOWN, VK_RETURN));
  EXPECT_TRUE(discarded(outer, WM_KEYDOWN, VK_ESCAPE));
  EXPECT_FALSE(discarded(outer, WM_KEYDOWN, 'A'));
  EXPECT_FALSE(discarded(outer, WM_KEYUP, VK_SPACE));
  EXPECT_FALSE(discarded(outer, WM_CHAR, VK_RETURN));
  EXPECT_FALSE(discarded(other, WM_KEYDOWN, VK_SPACE));
  DestroyWindow(outer);
  DestroyWindow(other);
}

}  // namespace
