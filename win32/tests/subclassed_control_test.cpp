// A control taken over by SubclassedControl: its messages reach the object
// first, what the object hands on reaches the control, and the object lets
// go when the control is destroyed or the object goes first.
#include <gtest/gtest.h>

#include <vector>

#include "win32/window.h"

namespace {

constexpr wchar_t kProperty[] = L"CountingEdit";
constexpr UINT kAsk = WM_APP + 1;  // answered by the object alone

class CountingEdit : public win32::SubclassedControl {
 public:
  bool Take(HWND control) { return Attach(control, kProperty); }
  std::vector<UINT> seen;

 private:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    seen.push_back(msg);
    if (msg == kAsk) return 42;
    return DefaultProc(msg, wp, lp);
  }
};

HWND NewEdit() {
  return CreateWindowExW(0, L"EDIT", L"before", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
}

bool Saw(const CountingEdit& e, UINT msg) {
  for (UINT m : e.seen)
    if (m == msg) return true;
  return false;
}

TEST(SubclassedControl, SeesTheMessagesFirstAndHandsOnWhatItDoesNotAnswer) {
  HWND edit = NewEdit();
  ASSERT_TRUE(edit);
  CountingEdit e;
  ASSERT_TRUE(e.Take(edit));
  EXPECT_EQ(e.Hwnd(), edit);
  EXPECT_EQ(SendMessageW(edit, kAsk, 0, 0), 42);
  SetWindowTextW(edit, L"after");
  EXPECT_TRUE(Saw(e, WM_SETTEXT));
  wchar_t text[16] = {};
  GetWindowTextW(edit, text, 16);
  EXPECT_STREQ(text, L"after") << "the edit control's own procedure kept the text";
  EXPECT_EQ(win32::SubclassedControl::Find(edit, kProperty), &e);
  DestroyWindow(edit);
}

TEST(SubclassedControl, RefusesANullControlAndASecondControl) {
  CountingEdit e;
  EXPECT_FALSE(e.Take(nullptr));
  HWND first = NewEdit(), second = NewEdit();
  ASSERT_TRUE(e.Take(first));
  EXPECT_FALSE(e.Take(second));
  EXPECT_EQ(e.Hwnd(), first);
  DestroyWindow(first);
  DestroyWindow(second);
}

TEST(SubclassedControl, LetsGoWhenTheControlIsDestroyed) {
  CountingEdit e;
  HWND edit = NewEdit();
  ASSERT_TRUE(e.Take(edit));
  DestroyWindow(edit);
  EXPECT_EQ(e.Hwnd(), nullptr);
  EXPECT_TRUE(Saw(e, WM_DESTROY));
  HWND next = NewEdit();
  EXPECT_TRUE(e.Take(next)) << "free for another control";
  DestroyWindow(next);
}

TEST(SubclassedControl, LetsGoOfTheControlWhenTheObjectGoesFirst) {
  HWND edit = NewEdit();
  {
    CountingEdit e;
    ASSERT_TRUE(e.Take(edit));
  }
  EXPECT_EQ(win32::SubclassedControl::Find(edit, kProperty), nullptr);
  EXPECT_EQ(SendMessageW(edit, kAsk, 0, 0), 0) << "the edit control answers alone again";
  SetWindowTextW(edit, L"alone");
  wchar_t text[16] = {};
  GetWindowTextW(edit, text, 16);
  EXPECT_STREQ(text, L"alone");
  DestroyWindow(edit);
}

}  // namespace
