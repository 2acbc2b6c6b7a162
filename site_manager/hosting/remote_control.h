// A remote-function control in its host: created by class identifier on
// the shared control site, called through its dispatch interface, and
// guarded against faults raised inside it.
//
// Faults: MinGW has no __try, and catch (...) does not see an access
// violation, so every call into the control goes through win32::CallGuarded:
// the dispatch calls (one direct call each, whose arguments are owned and
// freed outside the guard) and the control's window procedure (its window is
// subclassed with a guarded thunk). The guard covers the control's own code
// only: a fault is the control's when no frame of ours lies between it and
// the guard. What the control calls back in us meanwhile (a message it sends
// to its host, such as UM_CLOSEHOST, a call on the control site) runs as our
// code does anywhere else: a fault there is not taken for the control's and
// ends the program, rather than abandoning our frames and going on. A
// control's own fault abandons only its own frames, never a lock or owner of
// ours. A control that faulted is not called again: it is abandoned, not
// released, and its host closes. Creation and teardown (CoCreateInstance
// holds COM's own locks while it loads the control) are not guarded.
#pragma once
#include <windows.h>

#include <string>

#include "ostra_messages.h"
#include "remote_controls.h"
#include "win32/control_site.h"

static_assert(UM_CLOSEHOST == kCloseHostMessage);

class CRemoteControl {
 public:
  explicit CRemoteControl(const CLSID& clsid) : clsid_(clsid) {}
  CRemoteControl(const CRemoteControl&) = delete;
  CRemoteControl& operator=(const CRemoteControl&) = delete;
  ~CRemoteControl() { Destroy(); }

  // The control in `parent` on `rect`, its window named and numbered; the
  // control shows its window itself. False when it cannot be created.
  bool Create(const wchar_t* name, const RECT& rect, HWND parent, int id);
  void Destroy();

  // Property-put of one argument; method call without arguments.
  void PutText(DISPID member, const std::u16string& text);
  void PutNumber(DISPID member, ULONG value);
  void CallMethod(DISPID member);

  HWND ControlWindow() const { return window_; }
  bool Faulted() const { return faulted_; }

 private:
  void Invoke(DISPID member, WORD flags, VARIANT* argument);
  void OnFault();
  static LRESULT CALLBACK GuardedProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  const CLSID& clsid_;
  win32::ControlHost host_;
  HWND window_ = nullptr;  // the control's window, subclassed while it lives
  HWND parent_ = nullptr;
  WNDPROC original_ = nullptr;
  bool unicodeProcedure_ = true;  // original_ is a plain Unicode procedure, not a translating handle
  bool faulted_ = false;
};
