#include "dialog_texts.h"

#include "velmora.h"

std::wstring SkinText(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText) {
  wchar_t text[kProfileStringUnits] = {};
  SMAPI_GetProfileString(section, key, defaultText, text);
  return text;
}

void SetSkinCaption(HWND dialog, int control, const wchar_t* section, const wchar_t* key, const wchar_t* defaultText) {
  std::wstring caption;
  for (wchar_t c : SkinText(section, key, defaultText)) caption.append(c == L'&' ? L"&&" : std::wstring(1, c));  // "&" is shown, not a mnemonic
  SetDlgItemTextW(dialog, control, caption.c_str());
}

void ShowSkinMessage(const wchar_t* section, const char16_t* key, const char16_t* defaultText) {
  ShowSkinMessage(section, key, defaultText, L"");
}

void ShowSkinMessage(const wchar_t* section, const char16_t* key, const char16_t* defaultText, const std::wstring& detail) {
  std::wstring text =
      SkinText(section, reinterpret_cast<const wchar_t*>(key), reinterpret_cast<const wchar_t*>(defaultText));
  if (!detail.empty()) text += L"\r\n" + detail;
  MessageBoxW(nullptr, text.c_str(), nullptr, MB_OK);
}

void SetSiteDialogTitle(HWND dialog) {
  wchar_t name[kNameStringUnits] = {};
  SMAPI_GetResourceNameString(1, name);
  SetWindowTextW(dialog, (L"  " + std::wstring(name)).c_str());
}

void CentreOn(HWND window, HWND owner) {
  RECT w, o;
  GetWindowRect(window, &w);
  if (!owner || !GetWindowRect(owner, &o)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &o, 0);
  const int width = w.right - w.left, height = w.bottom - w.top;
  SetWindowPos(window, nullptr, o.left + (o.right - o.left - width) / 2, o.top + (o.bottom - o.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
