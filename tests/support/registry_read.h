// What the registration tests read back from HKEY_CLASSES_ROOT.
#pragma once
#include <windows.h>

#include <string>

namespace testsupport {

// The value (default: the key's own) of HKCR\key; "<none>" when absent.
inline std::wstring Value(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t data[512] = {};
  DWORD size = sizeof(data);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
    return L"<none>";
  return data;
}

inline bool KeyExists(const std::wstring& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

}  // namespace testsupport
