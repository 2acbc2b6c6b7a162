#include "registration.h"

#include <comcat.h>
#include <objsafe.h>

#include <string>

#include "module.h"
#include "rewyn_h.h"
#include "win32/owners.h"

namespace rewyn {

namespace {

constexpr LCID kEnglish = 0x409;
constexpr size_t kMaxCategoryText = 127;

struct Category {
  const CATID* id;
  const wchar_t* text;
};
const Category kSafeCategories[] = {
    {&CATID_SafeForScripting, L"Controls that are safely scriptable"},
    {&CATID_SafeForInitializing, L"Controls safely initializable from persistent data"},
};

std::wstring GuidText(REFGUID id) {
  wchar_t text[40] = {};
  StringFromGUID2(id, text, 40);
  return text;
}

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(Module(), path, MAX_PATH);
  return path;
}

std::wstring ResourceString(UINT id) {
  wchar_t text[256] = {};
  LoadStringW(Module(), id, text, 256);
  return text;
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
win32::ComPtr<ICatRegister> Categories() {
  win32::ComPtr<ICatRegister> catalog;
  CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                   catalog.PutVoid());
  return catalog;
}

bool MarkImplemented(REFCLSID clsid) {
  win32::ComPtr<ICatRegister> catalog = Categories();
  if (!catalog) return false;
  for (const Category& c : kSafeCategories) {
    CATID id = *c.id;
    if (FAILED(catalog->RegisterClassImplCategories(clsid, 1, &id))) return false;
  }
  return true;
}

}  // namespace

bool RegisterSafeCategories() {
  win32::ComPtr<ICatRegister> catalog = Categories();
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

bool RegisterClassEntry(const ClassEntry& e) {
  if (e.control && !(RegisterSafeCategories() && MarkImplemented(*e.clsid))) return false;
  const std::wstring key = L"CLSID\\" + GuidText(*e.clsid), name = ResourceString(e.name_string);
  const std::wstring path = ModulePath();
  bool ok = SetValue(key, nullptr, name) && SetValue(key + L"\\InprocServer32", nullptr, path) &&
            SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
            SetValue(key + L"\\ProgID", nullptr, e.prog_id) && SetValue(e.prog_id, nullptr, name) &&
            SetValue(std::wstring(e.prog_id) + L"\\CLSID", nullptr, GuidText(*e.clsid));
  if (ok && e.control)
    ok = SetValue(key + L"\\Control", nullptr, L"") && SetValue(key + L"\\ToolboxBitmap32", nullptr, path + L", 1") &&
         SetValue(key + L"\\MiscStatus", nullptr, L"0") &&
         SetValue(key + L"\\MiscStatus\\1", nullptr, std::to_wstring(kControlMiscStatus)) &&
         SetValue(key + L"\\TypeLib", nullptr, GuidText(LIBID_RewynLib)) && SetValue(key + L"\\Version", nullptr, L"1.0");
  return ok;
}

bool UnregisterClassEntry(const ClassEntry& e) {
  if (e.control && !RegisterSafeCategories()) return false;
  return DeleteTree(L"CLSID\\" + GuidText(*e.clsid)) && DeleteTree(e.prog_id);
}

}  // namespace rewyn
