#include "host_port.h"

#include <gtest/gtest.h>

TEST(HostPort, InRangeGivesDecimalTextAndOutOfRangeNone) {
  const struct {
    int32_t port;
    const char16_t* text;
  } cases[] = {{1, u"1"}, {50000, u"50000"}, {65530, u"65530"}, {0, u""}, {65531, u""}, {65535, u""}, {-1, u""}};
  for (const auto& c : cases) EXPECT_EQ(HostPortText(c.port), c.text) << c.port;
}
