// Captions and messages of the site manager's dialogs: the skin's text of a
// section and key, or the built-in default. Message boxes have no owner and
// no caption, and an OK button.
#pragma once
#include <windows.h>

#include <string>

std::wstring SkinText(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText);
void SetSkinCaption(HWND dialog, int control, const wchar_t* section, const wchar_t* key, const wchar_t* defaultText);
void ShowSkinMessage(const wchar_t* section, const char16_t* key, const char16_t* defaultText);
// The same with a second line of detail (such as the system's reason) under the text.
void ShowSkinMessage(const wchar_t* section, const char16_t* key, const char16_t* defaultText, const std::wstring& detail);
// "  " and the skin's window name 1, for the site dialogs.
void SetSiteDialogTitle(HWND dialog);
void CentreOn(HWND window, HWND owner);
