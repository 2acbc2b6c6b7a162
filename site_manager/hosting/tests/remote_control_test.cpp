// The guard around a hosted control covers the control's own code only: the
// registered stand-in (live view) in a window of the test, which stands for
// the host. The stand-in sends its parent UM_CLOSEHOST when a key reaches it,
// and faults on request (REMOTE_CONTROLS_FAULT) in method 5 or on a click.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "remote_control.h"
#include "win32/owners.h"

namespace {

// What the parent window does with UM_CLOSEHOST, and what it saw.
struct Parent {
  enum class OnClose { kNote, kFault, kCallTheControl } onClose = OnClose::kNote;
  CRemoteControl* control = nullptr;
  int closeAsked = 0;
  bool calledBack = false;  // the parent's code after its call into the control ran
};
Parent g_parent;

// Our code, called by the control's window procedure when it sends UM_CLOSEHOST.
LRESULT CALLBACK ParentProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == UM_CLOSEHOST) {
    ++g_parent.closeAsked;
    switch (g_parent.onClose) {
      case Parent::OnClose::kNote:
        break;
      case Parent::OnClose::kFault: {
        volatile int* volatile nowhere = nullptr;
        *nowhere = 1;  // a fault of ours
        break;
      }
      case Parent::OnClose::kCallTheControl:
        g_parent.control->CallMethod(kRemoteStartMethod);  // faults inside the control, on request
        g_parent.calledBack = true;
        break;
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

class Hosted {
  win32::ComScope ole_{win32::Apartment::kOle};  // before the control comes, after it goes

 public:
  explicit Hosted(const wchar_t* fault = nullptr) {
    SetEnvironmentVariableW(L"REMOTE_CONTROLS_FAULT", fault);
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"RemoteControlTestParent";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                              nullptr, wc.hInstance, nullptr);
    g_parent = Parent{};
    g_parent.control = &control;
    created_ = parent_ && control.Create(L"live view", RECT{0, 0, 400, 300}, parent_, 2002);
  }
  ~Hosted() {
    control.Destroy();
    if (parent_) DestroyWindow(parent_);
    SetEnvironmentVariableW(L"REMOTE_CONTROLS_FAULT", nullptr);
  }
  bool Created() const { return created_ && control.ControlWindow(); }
  // A key reaches the control's window: its procedure sends UM_CLOSEHOST to the parent.
  void PressKey() { SendMessageW(control.ControlWindow(), WM_KEYDOWN, 'X', 0); }
  // Whether UM_CLOSEHOST was posted to the parent (by the fault handling).
  bool ClosePosted() const {
    MSG m;
    return PeekMessageW(&m, parent_, UM_CLOSEHOST, UM_CLOSEHOST, PM_REMOVE) != 0;
  }

  CRemoteControl control{CLSID_RemoteLiveView};

 private:
  HWND parent_ = nullptr;
  bool created_ = false;
};

TEST(RemoteControl, AMessageTheControlSendsBackReachesTheHostAndNothingFaults) {
  Hosted h;
  ASSERT_TRUE(h.Created());
  h.PressKey();
  EXPECT_EQ(g_parent.closeAsked, 1);
  EXPECT_FALSE(h.control.Faulted());
}

TEST(RemoteControl, TheControlsOwnFaultsAreStillTakenByTheGuard) {
  {  // in its window procedure
    Hosted h(L"window");
    ASSERT_TRUE(h.Created());
    SendMessageW(h.control.ControlWindow(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_TRUE(h.control.Faulted());
    EXPECT_TRUE(h.ClosePosted());
  }
  {  // in method 5
    Hosted h(L"invoke");
    ASSERT_TRUE(h.Created());
    h.control.CallMethod(kRemoteStartMethod);
    EXPECT_TRUE(h.control.Faulted());
    EXPECT_TRUE(h.ClosePosted());
  }
}

TEST(RemoteControl, TheControlFaultingInACallOfOursFromInsideItsOwnCallLeavesOurFramesWhole) {
  // The control's procedure sends UM_CLOSEHOST; our handler calls method 5,
  // which faults: the guard of that inner call takes it, and our handler
  // goes on after it.
  Hosted h(L"invoke");
  ASSERT_TRUE(h.Created());
  g_parent.onClose = Parent::OnClose::kCallTheControl;
  h.PressKey();
  EXPECT_EQ(g_parent.closeAsked, 1);
  EXPECT_TRUE(g_parent.calledBack);
  EXPECT_TRUE(h.control.Faulted());
}

// A fault of ours inside the UM_CLOSEHOST that the control sends is no fault
// of the control's: the program ends as at any other fault of ours, instead
// of the guard abandoning our frames, blaming the control and going on.
TEST(RemoteControlDeathTest, AFaultOfOursInAMessageFromTheControlIsNotTakenForTheControls) {
  EXPECT_DEATH(
      {
        Hosted h;
        if (!h.Created()) {
          fprintf(stderr, "no control\n");
          exit(0);
        }
        g_parent.onClose = Parent::OnClose::kFault;
        h.PressKey();
        fprintf(stderr, "went on; the control was taken as faulted: %d\n", int(h.control.Faulted()));
        fflush(stderr);
      },
      "");
}

}  // namespace
