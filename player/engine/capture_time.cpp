#include "capture_time.h"

#include <cstdio>

namespace engine {
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

}  // namespace

CaptureTime TimeFromWords(uint32_t date_word, uint32_t time_word) {
  backup::SegmentHeader h{};
  h.date_word = date_word;
  h.time_word = time_word;
  return backup::HeaderTime(h);
}

int64_t CalendarSeconds(const CaptureTime& t) {
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) || t.hour > 23 ||
      t.minute > 59 || t.second > 59)
    return 0;
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
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

std::string FormatCaptureTime(const CaptureTime& t) {
  char text[kCaptureTimeTextLength + 1];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.year % 10000u, t.month % 100u, t.day % 100u,
                t.hour % 100u, t.minute % 100u, t.second % 100u);
  return text;
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

}  // namespace engine
