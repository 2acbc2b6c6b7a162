// The launcher's site texts and which buttons show help or open a function.
#include "launcher_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(LauncherTexts, AddressIsCutFromSeventeenCharactersOn) {
  struct Case {
    std::u16string_view ip, shown;
  } cases[] = {
      {u"", u"IP :  "},
      {u"192.168.100.1", u"IP : 192.168.100.1 "},
      {u"192.168.100.123a", u"IP : 192.168.100.123a "},   // 16: whole, 22 characters
      {u"192.168.100.123ab", u"IP : 192.168.100.123..."},  // 17: its first 15 and "..."
      {u"a-very-long-host-name.example.com", u"IP : a-very-long-hos..."},
  };
  for (const Case& c : cases) EXPECT_EQ(AddressText(c.ip), c.shown);
}

TEST(LauncherTexts, IdIsShownWholeUpTo255Characters) {
  EXPECT_EQ(IdText(u"admin"), u"ID : admin ");
  EXPECT_EQ(IdText(std::u16string(300, u'x')).size(), 255u);
}

TEST(LauncherTexts, HelpForTheSixFunctionButtonsOnly) {
  const std::pair<int, int> help[] = {{1008, 1}, {1005, 2}, {1001, 3}, {1002, 4}, {1003, 5}, {1004, 6}};
  for (auto [control, id] : help) {
    EXPECT_EQ(HelpStringOf(control), id);
    EXPECT_TRUE(IsFunctionControl(control));
    EXPECT_EQ(IsRemoteFunction(control), control != 1008);
  }
  EXPECT_FALSE(HelpStringOf(1011));
  EXPECT_FALSE(IsRemoteFunction(1011));
  EXPECT_FALSE(HelpStringOf(0));
}

}  // namespace
