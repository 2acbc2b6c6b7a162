#include "capture_time.h"

#include <gtest/gtest.h>

#include <cstring>

namespace backup {
namespace {

TEST(CaptureTime, TextOfExactlyTheShownFormParsesToAnExistingDate) {
  CaptureTime t{};
  ASSERT_TRUE(ParseCaptureTime("2024-02-29 23:59:58", t));
  EXPECT_EQ(CalendarSeconds(t), CalendarSeconds({2024, 2, 29, 23, 59, 58}));
  EXPECT_EQ(FormatCaptureTime(t), "2024-02-29 23:59:58");
  EXPECT_EQ(FormatCaptureTime(t, 40), "2024-02-29 23:59:58.040");

  for (const char* bad : {"", "2023-02-29 00:00:00", "2026-13-01 00:00:00", "2026-03-14 24:00:00", "2026-3-14 09:26:55",
                          "2026-03-14 09:26:55 ", " 2026-03-14 09:26:55", "2026-03-14T09:26:55", "2026-03-14 09:26:+5",
                          "2026-03-14 09:26"}) {
    EXPECT_FALSE(ParseCaptureTime(bad, t)) << '"' << bad << '"';
  }
}

TEST(CaptureTime, EachFormWritesItsFieldsInItsOwnPattern) {
  const CaptureTime t{2031, 7, 8, 1, 2, 3};
  struct Case {
    TimeForm form;
    const char* text;
  };
  const Case cases[] = {
      {TimeForm::kDashed, "2031-07-08 01:02:03"},   {TimeForm::kSlashed, "2031/07/08 01:02:03"},
      {TimeForm::kFileStem, "20310708_010203"},     {TimeForm::kPrinted, "2031-07-08 01-02-03"},
      {TimeForm::kPanelDate, "DATE : 2031/07/08"},  {TimeForm::kPanelTime, "TIME : 01:02:03"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatTime(t, c.form), c.text);
    const std::string narrow = c.text;
    EXPECT_EQ(FormatTimeWide(t, c.form), std::wstring(narrow.begin(), narrow.end()));
  }
}

TEST(CaptureTime, FormsWriteOutOfRangeFieldsWholeButTheFixedLengthTextCutsThem) {
  // A damaged header can carry any byte in a field.
  const CaptureTime damaged{2251, 200, 31, 255, 7, 99};
  EXPECT_EQ(FormatTime(damaged, TimeForm::kDashed), "2251-200-31 255:07:99");
  EXPECT_EQ(FormatTime(damaged, TimeForm::kPanelTime), "TIME : 255:07:99");
  EXPECT_EQ(FormatCaptureTime(damaged), "2251-00-31 55:07:99");
  EXPECT_EQ(FormatCaptureTime({12345, 1, 2, 3, 4, 5}).size(), size_t(kCaptureTimeTextLength));
  EXPECT_EQ(FormatCaptureTime({2026, 1, 2, 3, 4, 5}, 1999), "2026-01-02 03:04:05.999");
}

TEST(CaptureTime, HeaderWordsCarryTheYearAsAByteAfter1996) {
  EXPECT_EQ(TimeFromWords(0x001E0C1F, 0x00173B3A), (CaptureTime{2026, 12, 31, 23, 59, 58}));
  EXPECT_EQ(TimeFromWords(0xFFFF0000, 0xFF000000), (CaptureTime{2251, 0, 0, 0, 0, 0})) << "high bytes ignored";
}

TEST(CaptureTime, SecondsCountFrom1970AndBackAcrossDaysYearsAndLeapDays) {
  struct Case {
    CaptureTime time;
    int64_t seconds;
  };
  const Case cases[] = {
      {{1970, 1, 1, 0, 0, 1}, 1},
      {{1996, 1, 1, 0, 0, 0}, 820454400},
      {{2024, 2, 29, 12, 0, 0}, 1709208000},
      {{2100, 3, 1, 0, 0, 0}, 4107542400},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CalendarSeconds(c.time), c.seconds) << FormatCaptureTime(c.time);
    EXPECT_EQ(FromCalendarSeconds(c.seconds), c.time) << c.seconds;
  }
  EXPECT_EQ(CalendarSeconds({2100, 2, 29, 0, 0, 0}), 0) << "2100 is no leap year";
  EXPECT_EQ(CalendarSeconds({2026, 4, 31, 0, 0, 0}), 0);
}

TEST(CaptureTime, AddingSecondsCarriesFieldsOutOfRangeOver) {
  struct Case {
    CaptureTime start;
    int64_t seconds;
    CaptureTime expected;
  };
  const Case cases[] = {
      {{2006, 12, 31, 23, 59, 58}, 3, {2007, 1, 1, 0, 0, 1}},
      {{2024, 2, 28, 23, 59, 59}, 1, {2024, 2, 29, 0, 0, 0}},
      {{2026, 2, 31, 12, 0, 0}, 0, {2026, 3, 3, 12, 0, 0}},  // a day the month lacks
      {{2026, 3, 1, 0, 0, 0}, -1, {2026, 2, 28, 23, 59, 59}},
  };
  for (const Case& c : cases) EXPECT_EQ(AddSeconds(c.start, c.seconds), c.expected) << FormatCaptureTime(c.start);
}

}  // namespace
}  // namespace backup
