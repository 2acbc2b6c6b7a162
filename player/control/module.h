// The Rewyn module: its handle, the lock that objects and factories hold
// (DllCanUnloadNow reads it), and the table of its COM classes.
#pragma once
#include <windows.h>
#include <ole2.h>

namespace rewyn {

HINSTANCE Module();
void LockModule();
void UnlockModule();

// Holds the module lock for as long as the object that has it lives.
struct ModuleLock {
  ModuleLock() { LockModule(); }
  ~ModuleLock() { UnlockModule(); }
  ModuleLock(const ModuleLock&) = delete;
  ModuleLock& operator=(const ModuleLock&) = delete;
};

// The control's miscellaneous status, as registered and as GetMiscStatus answers.
constexpr DWORD kControlMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                     OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
static_assert(kControlMiscStatus == 0x20191);

// The property page's class; the control's comes from the type library.
extern const CLSID CLSID_RewynPropPage;

}  // namespace rewyn
