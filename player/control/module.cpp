// The module's exports: class objects, unloading, self-registration, all
// from the one table of its classes.
#include "module.h"

#include "prop_page.h"
#include "rewyn_ctrl.h"
#include "rewyn_h.h"
#include "rewyn_resources.h"
#include "win32/com_module.h"

namespace rewyn {

// {279B1419-6606-48C6-AC55-6339021ECC26}
const CLSID CLSID_RewynPropPage = {0x279b1419, 0x6606, 0x48c6, {0xac, 0x55, 0x63, 0x39, 0x02, 0x1e, 0xcc, 0x26}};

namespace {

constexpr win32::ControlRegistration kControl{kControlMiscStatus, IDB_TOOLBOX, true};
const win32::ComClass kClasses[] = {
    {&CLSID_Rewyn, L"REWYN.RewynCtrl.1", L"Rewyn Control", L"Apartment", CRewynCtrl::Create, &kControl},
    {&CLSID_RewynPropPage, L"REWYN.RewynPropPage.1", L"Rewyn Property Page", L"Apartment", CRewynPropPage::Create},
};
constexpr win32::TypeLibrary kTypeLibrary{&LIBID_RewynLib, 1, 0, 0x409};
const win32::ComModule kModule{kClasses, &kTypeLibrary};

}  // namespace

}  // namespace rewyn

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return rewyn::kModule.GetClassObject(clsid, iid, out);
}
STDAPI DllCanUnloadNow() { return rewyn::kModule.CanUnloadNow(); }
STDAPI DllRegisterServer() { return rewyn::kModule.Register(); }
STDAPI DllUnregisterServer() { return rewyn::kModule.Unregister(); }
