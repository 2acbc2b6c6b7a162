// The site manager's skin library: the common skin interface (all but the
// alternate face set) plus captions, window names, help texts, the
// application icon and text colours. All strings are UTF-16 and terminated.
#pragma once

#include "smapi.h"

// Buffer sizes the callers pass, in UTF-16 units with the terminator; the
// text functions never write more than these.
inline constexpr int kProfileStringUnits = 98;
inline constexpr int kNameStringUnits = 30;
inline constexpr int kHelpStringUnits = 1024;

extern "C" {
// Caption or message of section and key, or the default when the skin has
// none. Returns the number of units written before the terminator.
DWORD SMAPI_GetProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText,
                             wchar_t* out);
// 1 site dialogs' title; 2-6 host window titles. Unknown identifiers give "".
void SMAPI_GetResourceNameString(WORD id, wchar_t* out);
// 0 launcher title; 1-6 button help (lines split by CR LF); 48 about-box menu
// entry; 49, 50 about-box lines. Unknown identifiers give "".
void SMAPI_GetResourceHelpString(WORD id, wchar_t* out);
// 48: the application icon (shared, not to be destroyed); otherwise null.
HICON SMAPI_GetResourceIconHandle(WORD id);
// 10 help text, 11 user ID, 12 address, 13 version; others leave *colour as it was.
void SMAPI_GetTextColorValue(WORD id, COLORREF* colour);
}
