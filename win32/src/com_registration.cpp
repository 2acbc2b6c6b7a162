// What DllRegisterServer writes under HKEY_CLASSES_ROOT and
// DllUnregisterServer removes: for each class its class key and ProgID,
// for a control also its flags, toolbox bitmap, type library and component
// categories. A 32-bit module running on 64-bit Windows writes the 32-bit view.
#include <comcat.h>
#include <objsafe.h>
#include <olectl.h>

#include "win32/com_module.h"
#include "win32/owners.h"

namespace win32 {

namespace {

constexpr LCID kEnglish = 0x409;
constexpr size_t kMaxCategoryText = 127;
// The type library is built for this module's bitness and registered under it.
constexpr SYSKIND kTypeLibSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

struct Category {
  const CATID* id;
  const wchar_t* text;
};
const Category kSafeCategories[] = {
    {&CATID_SafeForScripting, L"Controls that are safely scriptable"},
    {&CATID_SafeForInitializing, L"Controls safely initializable from persistent data"},
};

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
  return n && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

// Sets the default value (or `name`) of HKCR\key, creating the key.
bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                DWORD((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

bool DeleteTree(const std::wstring& key) {
  const LONG r = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  if (r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return true;
  }
  return false;
}

// The system's component categories manager, or none.
ComPtr<ICatRegister> Categories() {
  ComPtr<ICatRegister> catalog;
  CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                   catalog.PutVoid());
  return catalog;
}

// The two safe categories, registered with their descriptions.
bool RegisterSafeCategories() {
  ComPtr<ICatRegister> catalog = Categories();
  if (!catalog) return false;
  for (const Category& c : kSafeCategories) {
    CATEGORYINFO info{};
    info.catid = *c.id;
    info.lcid = kEnglish;
    wcsncpy(info.szDescription, c.text, kMaxCategoryText);
    info.szDescription[kMaxCategoryText] = 0;
    if (FAILED(catalog->RegisterCategories(1, &info))) return false;
  }
  return true;
}

bool MarkSafe(REFCLSID clsid) {
  ComPtr<ICatRegister> catalog = Categories();
  if (!catalog) return false;
  for (const Category& c : kSafeCategories) {
    CATID id = *c.id;
    if (FAILED(catalog->RegisterClassImplCategories(clsid, 1, &id))) return false;
  }
  return true;
}

bool SafeForScripting(const ComClass& c) { return c.control && c.control->safe_for_scripting; }

bool RegisterControl(const std::wstring& key, const ControlRegistration& control, const std::wstring& path,
                     const TypeLibrary* library) {
  bool ok = SetValue(key + L"\\Control", nullptr, L"");
  if (ok && control.toolbox_bitmap)
    ok = SetValue(key + L"\\ToolboxBitmap32", nullptr, path + L", " + std::to_wstring(control.toolbox_bitmap));
  if (ok && control.misc_status)
    ok = SetValue(key + L"\\MiscStatus", nullptr, L"0") &&
         SetValue(key + L"\\MiscStatus\\1", nullptr, std::to_wstring(control.misc_status));
  if (ok && library)
    ok = SetValue(key + L"\\TypeLib", nullptr, GuidText(*library->id)) &&
         SetValue(key + L"\\Version", nullptr, std::to_wstring(library->major) + L"." + std::to_wstring(library->minor));
  return ok;
}

bool RegisterComClass(const ComClass& c, const std::wstring& path, const TypeLibrary* library) {
  if (SafeForScripting(c) && !(RegisterSafeCategories() && MarkSafe(*c.clsid))) return false;
  const std::wstring key = L"CLSID\\" + GuidText(*c.clsid);
  const bool ok = SetValue(key, nullptr, c.name) && SetValue(key + L"\\InprocServer32", nullptr, path) &&
                  SetValue(key + L"\\InprocServer32", L"ThreadingModel", c.threading_model) &&
                  SetValue(key + L"\\ProgID", nullptr, c.prog_id) && SetValue(c.prog_id, nullptr, c.name) &&
                  SetValue(std::wstring(c.prog_id) + L"\\CLSID", nullptr, GuidText(*c.clsid));
  return ok && (!c.control || RegisterControl(key, *c.control, path, library));
}

// The categories stay registered: other controls may name them.
bool UnregisterComClass(const ComClass& c) {
  if (SafeForScripting(c) && !RegisterSafeCategories()) return false;
  return DeleteTree(L"CLSID\\" + GuidText(*c.clsid)) && DeleteTree(c.prog_id);
}

}  // namespace

HRESULT ComModule::Register() const {
  const std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  if (type_library_) {
    ComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, library.Put()))) return SELFREG_E_TYPELIB;
  }
  for (const ComClass& c : classes_)
    if (!RegisterComClass(c, path, type_library_)) return SELFREG_E_CLASS;
  return S_OK;
}

HRESULT ComModule::Unregister() const {
  if (type_library_ && FAILED(UnRegisterTypeLib(*type_library_->id, type_library_->major, type_library_->minor,
                                                type_library_->locale, kTypeLibSysKind)))
    return SELFREG_E_TYPELIB;
  for (const ComClass& c : classes_)
    if (!UnregisterComClass(c)) return SELFREG_E_CLASS;
  return S_OK;
}

}  // namespace win32
