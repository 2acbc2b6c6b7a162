// Wall-clock capture times of pictures, to the second.
#pragma once
#include <cstdint>
#include <string>

#include "backup_format.h"

namespace engine {

using CaptureTime = backup::SegmentTime;

// The capture time carried by a frame record's date and time words.
CaptureTime TimeFromWords(uint32_t date_word, uint32_t time_word);
// Seconds since 1970 of a calendar time; 0 when it is not a valid date.
int64_t CalendarSeconds(const CaptureTime& t);
// The calendar time of a count of seconds since 1970.
CaptureTime FromCalendarSeconds(int64_t seconds);

// "YYYY-MM-DD hh:mm:ss", the form in which times are shown and typed.
constexpr int kCaptureTimeTextLength = 19;
std::string FormatCaptureTime(const CaptureTime& t);
// "YYYY-MM-DD hh:mm:ss.mmm", `millisecond` into the second.
std::string FormatCaptureTime(const CaptureTime& t, uint32_t millisecond);
// Parses exactly that form; false for anything else or a date that does not exist.
bool ParseCaptureTime(const char* text, CaptureTime& t);

}  // namespace engine
