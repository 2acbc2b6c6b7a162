// One printed page on the default printer, without a dialog: a report of a
// still picture that a person can hand on.
#pragma once
#include <windows.h>

#include <string>

#include "pixels.h"

namespace capstan {

struct PrintReport {
  std::wstring title, version;
  std::wstring start_time, end_time, picture_time;  // as the player passes them
  int camera = 0;                                   // 0-based
  bool camera_caption = false, time_caption = false;  // drawn over the picture
  COLORREF shadow = RGB(0, 0, 0), text = RGB(255, 255, 255);
};

bool PrintPage(const Pixels& picture, const PrintReport& report);

// "2009-03-07 14-05-09" reads as "2009-03-07 14:05:09"; other texts stay.
std::wstring ReadableTime(const std::wstring& text);

}  // namespace capstan
