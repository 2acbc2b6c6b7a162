#include "capture_time.h"

#include <cstdio>

namespace backup {
namespace {

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

int64_t SecondsOf(const CaptureTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

// A form's printf pattern and the field it starts at (0 year ... 5 second).
struct Form {
  const char* pattern;
  int first;
};

Form FormOf(TimeForm form) {
  switch (form) {
    case TimeForm::kDashed: return {"%04u-%02u-%02u %02u:%02u:%02u", 0};
    case TimeForm::kSlashed: return {"%04u/%02u/%02u %02u:%02u:%02u", 0};
    case TimeForm::kFileStem: return {"%04u%02u%02u_%02u%02u%02u", 0};
    case TimeForm::kPrinted: return {"%04u-%02u-%02u %02u-%02u-%02u", 0};
    case TimeForm::kPanelDate: return {"DATE : %04u/%02u/%02u", 0};
    case TimeForm::kPanelTime: return {"TIME : %02u:%02u:%02u", 3};
  }
  return {"", 0};
}

}  // namespace

CaptureTime TimeFromWords(uint32_t date_word, uint32_t time_word) {
  return {static_cast<uint16_t>((date_word >> 16 & 0xFF) + 1996), static_cast<uint16_t>(date_word >> 8 & 0xFF),
          static_cast<uint16_t>(date_word & 0xFF), static_cast<uint16_t>(time_word >> 16 & 0xFF),
          static_cast<uint16_t>(time_word >> 8 & 0xFF), static_cast<uint16_t>(time_word & 0xFF)};
}

int64_t CalendarSeconds(const CaptureTime& t) {
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) || t.hour > 23 ||
      t.minute > 59 || t.second > 59)
    return 0;
  return SecondsOf(t);
}

CaptureTime FromCalendarSeconds(int64_t seconds) {
  int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) rest += 86400, --days;
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<uint16_t>(yoe + era * 400 + (month <= 2)),
          static_cast<uint16_t>(month),
          static_cast<uint16_t>(doy - (153 * mp + 2) / 5 + 1),
          static_cast<uint16_t>(rest / 3600),
          static_cast<uint16_t>(rest / 60 % 60),
          static_cast<uint16_t>(rest % 60)};
}

CaptureTime AddSeconds(const CaptureTime& t, int64_t seconds) { return FromCalendarSeconds(SecondsOf(t) + seconds); }

std::string FormatTime(const CaptureTime& t, TimeForm form) {
  const unsigned fields[9] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
  const Form f = FormOf(form);
  const unsigned* v = fields + f.first;
  char text[64];
  std::snprintf(text, sizeof text, f.pattern, v[0], v[1], v[2], v[3], v[4], v[5]);
  return text;
}

std::wstring FormatTimeWide(const CaptureTime& t, TimeForm form) {
  const std::string text = FormatTime(t, form);
  return std::wstring(text.begin(), text.end());
}

std::string FormatCaptureTime(const CaptureTime& t) {
  const CaptureTime cut = {uint16_t(t.year % 10000u), uint16_t(t.month % 100u), uint16_t(t.day % 100u),
                           uint16_t(t.hour % 100u), uint16_t(t.minute % 100u), uint16_t(t.second % 100u)};
  return FormatTime(cut, TimeForm::kDashed);
}

std::string FormatCaptureTime(const CaptureTime& t, uint32_t millisecond) {
  char ms[8];
  std::snprintf(ms, sizeof ms, ".%03u", millisecond % 1000u);
  return FormatCaptureTime(t) + ms;
}

bool ParseCaptureTime(const char* text, CaptureTime& t) {
  static const char kPattern[] = "0000-00-00 00:00:00";  // 0: a digit
  unsigned fields[6] = {};
  int field = 0;
  for (int i = 0; i <= kCaptureTimeTextLength; ++i) {
    if (kPattern[i] != '0') {
      if (text[i] != kPattern[i]) return false;  // also at the end: nothing may follow
      if (kPattern[i] != '\0') ++field;
      continue;
    }
    if (text[i] < '0' || text[i] > '9') return false;
    fields[field] = fields[field] * 10 + (text[i] - '0');
  }
  const CaptureTime parsed = {static_cast<uint16_t>(fields[0]), static_cast<uint16_t>(fields[1]),
                              static_cast<uint16_t>(fields[2]), static_cast<uint16_t>(fields[3]),
                              static_cast<uint16_t>(fields[4]), static_cast<uint16_t>(fields[5])};
  if (CalendarSeconds(parsed) == 0) return false;
  t = parsed;
  return true;
}

}  // namespace backup
