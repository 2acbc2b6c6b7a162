// Hosting an ActiveX control in a window: a site (client site, in-place site
// and frame) and the steps of creation, in-place activation, key translation
// and closing. Knows nothing of any particular control.
#pragma once
#include <windows.h>
#include <ole2.h>

#include "win32/owners.h"

namespace win32 {

class ControlSite;

class ControlHost {
 public:
  ControlHost();
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;
  ~ControlHost();

  // Creates the control named by a ProgID or a "{CLSID}" string, activates it
  // in place in `parent` on `rect` (client coordinates; null: at the origin
  // with the control's own extent) with its user interface. False: nothing is
  // left behind.
  bool Create(HWND parent, const wchar_t* prog_id, const RECT* rect);
  // The same for a control object made already (from a module of its own, say).
  bool Create(HWND parent, IOleObject* object, const RECT* rect);
  // Deactivates, closes and releases the control; its window goes.
  void Close();
  // Lets go of a control that must not be called again (it faulted): its
  // object and the site it holds are left alive, unreleased.
  void Abandon();

  // The control's own window, or null.
  HWND ControlWindow() const;
  void Move(const RECT& rect);
  // Offers a message of the loop to the active control first; true when it
  // took it (then it must not be dispatched).
  bool TranslateKey(MSG& msg);
  IUnknown* Control() const { return object_.Get(); }

 private:
  ComPtr<IOleObject> object_;
  ComPtr<ControlSite> site_;
};

}  // namespace win32
