#include "win32/version_text.h"

#include <cwchar>
#include <vector>

namespace win32 {

namespace {

// The whole version resource of the module's file; empty when it has none.
std::vector<BYTE> VersionBlock(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  if (!GetModuleFileNameW(module, path, MAX_PATH)) return {};
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  std::vector<BYTE> block(size);
  if (!size || !GetFileVersionInfoW(path, 0, size, block.data())) return {};
  return block;
}

}  // namespace

HMODULE ModuleOf(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(address), &module);
  return module;
}

std::wstring VersionNumbersText(HMODULE module) {
  std::vector<BYTE> block = VersionBlock(module);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (block.empty() || !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
      length < sizeof(*info))
    return L"Ver Unknown ";
  wchar_t text[64];
  swprintf(text, 64, L"Ver %d. %d. %d. %d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
           HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
  return text;
}

std::wstring VersionStringText(HMODULE module) {
  std::vector<BYTE> block = VersionBlock(module);
  WORD* translation = nullptr;
  UINT length = 0;
  if (block.empty() ||
      !VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < 4)
    return {};
  wchar_t query[64];
  swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation[0], translation[1]);
  wchar_t* version = nullptr;
  if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&version), &length) || !version) return {};
  return L"Ver " + std::wstring(version);
}

}  // namespace win32
