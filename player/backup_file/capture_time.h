// The wall-clock capture time of a picture, to the second, as segment headers
// and frame records carry it; calendar arithmetic over it, and its texts.
#pragma once
#include <cstdint>
#include <string>

namespace backup {

struct CaptureTime {
  uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const CaptureTime&) const = default;
};

// The time carried by a header's or frame record's date and time words
// (the year a byte after 1996).
CaptureTime TimeFromWords(uint32_t date_word, uint32_t time_word);

// Seconds since 1970 of a calendar time; 0 when it is not a valid date.
int64_t CalendarSeconds(const CaptureTime& t);
// The calendar time of a count of seconds since 1970.
CaptureTime FromCalendarSeconds(int64_t seconds);
// `seconds` later; fields out of their ranges carry over (31 February is 3 March).
CaptureTime AddSeconds(const CaptureTime& t, int64_t seconds);

// The forms a time is written in. Every field is written whole, at least
// as wide as the form shows it.
enum class TimeForm {
  kDashed,     // "YYYY-MM-DD hh:mm:ss": shown, typed, and in the tools' listings
  kSlashed,    // "YYYY/MM/DD hh:mm:ss": picture captions
  kFileStem,   // "YYYYMMDD_hhmmss": export file names
  kPrinted,    // "YYYY-MM-DD hh-mm-ss": the print page
  kPanelDate,  // "DATE : YYYY/MM/DD"
  kPanelTime,  // "TIME : hh:mm:ss"
};
std::string FormatTime(const CaptureTime& t, TimeForm form);
std::wstring FormatTimeWide(const CaptureTime& t, TimeForm form);

// kDashed at exactly its length: fields cut to their widths.
constexpr int kCaptureTimeTextLength = 19;
std::string FormatCaptureTime(const CaptureTime& t);
// "YYYY-MM-DD hh:mm:ss.mmm", `millisecond` into the second.
std::string FormatCaptureTime(const CaptureTime& t, uint32_t millisecond);
// Parses exactly kDashed; false for anything else or a date that does not exist.
bool ParseCaptureTime(const char* text, CaptureTime& t);

}  // namespace backup
