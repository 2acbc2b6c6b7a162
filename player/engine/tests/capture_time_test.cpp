#include "capture_time.h"

#include <gtest/gtest.h>

#include <cstring>

namespace engine {
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

}  // namespace
}  // namespace engine
