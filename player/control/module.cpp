// The module's exports: class objects, unloading, self-registration.
#include "module.h"

#include <olectl.h>

#include <string>

#include "class_factory.h"
#include "prop_page.h"
#include "registration.h"
#include "rewyn_ctrl.h"
#include "rewyn_h.h"
#include "rewyn_resources.h"

namespace rewyn {

namespace {

HINSTANCE g_module = nullptr;
LONG g_locks = 0;  // live objects, factories and LockServer holds

struct ComClass {
  ClassEntry entry;
  CreateFunction create;
};
const ComClass kClasses[] = {
    {{&CLSID_Rewyn, L"REWYN.RewynCtrl.1", IDS_CONTROL_NAME, true}, CRewynCtrl::Create},
    {{&CLSID_RewynPropPage, L"REWYN.RewynPropPage.1", IDS_PROPPAGE_NAME, false}, CRewynPropPage::Create},
};

constexpr WORD kTypeLibMajor = 1, kTypeLibMinor = 0;
constexpr LCID kTypeLibLocale = 0x409;
// The type library is built for this module's bitness and registered under it.
constexpr SYSKIND kTypeLibSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

}  // namespace

// {279B1419-6606-48C6-AC55-6339021ECC26}
const CLSID CLSID_RewynPropPage = {0x279b1419, 0x6606, 0x48c6, {0xac, 0x55, 0x63, 0x39, 0x02, 0x1e, 0xcc, 0x26}};

HINSTANCE Module() { return g_module; }
void LockModule() { InterlockedIncrement(&g_locks); }
void UnlockModule() { InterlockedDecrement(&g_locks); }

}  // namespace rewyn

using namespace rewyn;

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const ComClass& c : kClasses)
    if (clsid == *c.entry.clsid) return CreateAndQuery(new (std::nothrow) ClassFactory(c.create), iid, out);
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return g_locks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(g_module, path, MAX_PATH);
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLibEx(path, REGKIND_REGISTER, &library))) return SELFREG_E_TYPELIB;
  library->Release();
  for (const ComClass& c : kClasses)
    if (!RegisterClassEntry(c.entry)) return SELFREG_E_CLASS;
  return S_OK;
}

STDAPI DllUnregisterServer() {
  if (FAILED(UnRegisterTypeLib(LIBID_RewynLib, kTypeLibMajor, kTypeLibMinor, kTypeLibLocale, kTypeLibSysKind)))
    return SELFREG_E_TYPELIB;
  for (const ComClass& c : kClasses)
    if (!UnregisterClassEntry(c.entry)) return SELFREG_E_CLASS;
  return S_OK;
}
