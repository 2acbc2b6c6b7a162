// Texts drawn on the player's panel: the start, end and play times, the
// delay label values and the version text.
#pragma once
#include <windows.h>

#include <string>

#include "capture_time.h"

namespace view {

// The nine information texts of skin rectangles 64..69 and 73..75.
void DrawInfoTexts(HDC panel, const backup::CaptureTime& start, const backup::CaptureTime& end, const backup::CaptureTime& play);
// Rectangles 74 and 75 only; returns the rectangle enclosing both.
RECT DrawPlayTime(HDC panel, const backup::CaptureTime& play);
void DrawVersionText(HDC panel, const std::wstring& text);

// "Ver a. b. c. d" from the file version of the module holding this code,
// or "Ver Unknown ".
std::wstring ModuleVersionText();
const wchar_t* DelayLabel(int index);
const wchar_t* SpeedLabel(int index);

}  // namespace view
