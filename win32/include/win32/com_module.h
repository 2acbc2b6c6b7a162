// An in-process COM server: the module's lock count, and the table of its
// classes that DllGetClassObject, DllCanUnloadNow, DllRegisterServer and
// DllUnregisterServer work from. The DLL's exports call a ComModule:
//
//   const win32::ComClass kClasses[] = {...};
//   const win32::ComModule kModule{kClasses};
//   STDAPI DllGetClassObject(REFCLSID c, REFIID i, void** out) { return kModule.GetClassObject(c, i, out); }
#pragma once
#include <windows.h>
#include <ole2.h>

#include <span>
#include <string>

namespace win32 {

// The module (DLL or program) this code is linked into.
HINSTANCE ThisModule();

// The module's lock: objects and class factories alive, and LockServer holds.
void LockModule();
void UnlockModule();
bool ModuleLocked();

// Holds the module lock for as long as the object that has it lives.
struct ModuleLock {
  ModuleLock() { LockModule(); }
  ~ModuleLock() { UnlockModule(); }
  ModuleLock(const ModuleLock&) = delete;
  ModuleLock& operator=(const ModuleLock&) = delete;
};

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", upper case, as the registry holds it.
std::wstring GuidText(REFGUID id);

// What an ActiveX control registers beyond its class. Zero leaves a value out.
struct ControlRegistration {
  DWORD misc_status;        // MiscStatus\1 (with MiscStatus "0")
  int toolbox_bitmap;       // ToolboxBitmap32: "module path, N"
  bool safe_for_scripting;  // implements the safe-for-scripting and -initialising categories
};

struct ComClass;
// Makes the object of one class and asks it for iid; the caller's reference
// is the only one.
using CreateFunction = HRESULT (*)(const ComClass& cls, REFIID iid, void** out);

struct ComClass {
  const CLSID* clsid;
  const wchar_t* prog_id;
  const wchar_t* name;             // the class key's and the ProgID's value
  const wchar_t* threading_model;  // InprocServer32's ThreadingModel
  CreateFunction create;
  const ControlRegistration* control = nullptr;  // null: not a control
};

// The type library bound into the module as resource 1; a control's
// TypeLib and Version name it.
struct TypeLibrary {
  const GUID* id;
  WORD major, minor;
  LCID locale;
};

class ComModule {
 public:
  constexpr explicit ComModule(std::span<const ComClass> classes, const TypeLibrary* type_library = nullptr)
      : classes_(classes), type_library_(type_library) {}

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const;
  HRESULT CanUnloadNow() const { return ModuleLocked() ? S_FALSE : S_OK; }
  // Registers the type library, then every class; SELFREG_E_* on failure.
  HRESULT Register() const;
  // Takes away the type library, then every class's keys.
  HRESULT Unregister() const;

 private:
  std::span<const ComClass> classes_;
  const TypeLibrary* type_library_;
};

}  // namespace win32
