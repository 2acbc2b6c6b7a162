// Texts drawn on the player's panel: the start, end and play times, the
// delay label values and the version text.
#pragma once
#include <windows.h>

#include <string>

namespace view {

struct PanelTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const PanelTime&) const = default;
};

// The nine information texts of skin rectangles 64..69 and 73..75.
void DrawInfoTexts(HDC panel, const PanelTime& start, const PanelTime& end, const PanelTime& play);
// Rectangles 74 and 75 only; returns the rectangle enclosing both.
RECT DrawPlayTime(HDC panel, const PanelTime& play);
void DrawVersionText(HDC panel, const std::wstring& text);

// "Ver a. b. c. d" from the file version of the module holding this code,
// or "Ver Unknown ".
std::wstring ModuleVersionText();
const wchar_t* DelayLabel(int index);
const wchar_t* SpeedLabel(int index);

}  // namespace view
