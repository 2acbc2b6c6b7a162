// Velmora's language look-up and the bounded copy its text functions use.
#include "velmora_data.h"

#include <gtest/gtest.h>

namespace {

constexpr std::string_view kLanguage =
    "; comment\n"
    "[LOGIN]\r\n"
    "Socket = Fail Connect\r\n"
    "Help=one\\ntwo\n"
    "[SITE SETUP]\n"
    "Socket=other section\n"
    "Name=Caf\xC3\xA9\n";

TEST(VelmoraText, FindsKeyInItsSectionOnly) {
  EXPECT_EQ(velmora::FindText(kLanguage, u"LOGIN", u"Socket"), u"Fail Connect");
  EXPECT_EQ(velmora::FindText(kLanguage, u"SITE SETUP", u"Socket"), u"other section");
  EXPECT_EQ(velmora::FindText(kLanguage, u"SITE SETUP", u"Name"), u"Caf\u00E9");
  EXPECT_EQ(velmora::FindText(kLanguage, u"LOGIN", u"Help"), u"one\r\ntwo");
  EXPECT_FALSE(velmora::FindText(kLanguage, u"LOGIN", u"Name"));
  EXPECT_FALSE(velmora::FindText(kLanguage, u"login", u"Socket"));
  EXPECT_FALSE(velmora::FindText(kLanguage, u"NONE", u"Socket"));
  EXPECT_FALSE(velmora::FindText("", u"LOGIN", u"Socket"));
}

TEST(VelmoraText, CopyNeverPassesTheBuffer) {
  struct Case {
    std::u16string text;
    size_t units;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"abc", 10, u"abc"},
      {u"abcdef", 4, u"abc"},
      {u"abc", 4, u"abc"},
      {u"", 1, u""},
      {u"ab\U0001F600", 4, u"ab"},  // a surrogate pair is not split
  };
  for (const Case& c : cases) {
    char16_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    size_t n = velmora::CopyBounded(buffer, c.units, c.text);
    EXPECT_EQ(std::u16string(buffer), c.expected);
    EXPECT_EQ(n, c.expected.size());
    for (size_t i = c.units; i < 16; ++i) EXPECT_EQ(buffer[i], u'#') << "unit " << i << " written";
  }
  EXPECT_EQ(velmora::CopyBounded(nullptr, 10, u"abc"), 0u);
}

}  // namespace
