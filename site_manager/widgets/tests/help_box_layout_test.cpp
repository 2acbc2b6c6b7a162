// Help box layout: lines split at CR LF, placed by their count, and the box
// grown for four or more lines.
#include "help_box_layout.h"

#include <gtest/gtest.h>

namespace {

constexpr BoxRect kBox = {12, 176, 262, 316};  // 250 x 140

TEST(HelpBoxLayout, LinesArePlacedByTheirCount) {
  struct Case {
    std::u16string_view text;
    BoxRect box;
    std::vector<std::u16string_view> lines;
    std::vector<int> tops;
  } cases[] = {
      {u"one", kBox, {u"one"}, {176 + 140 / 2 - 10}},
      {u"one\r\ntwo", kBox, {u"one", u"two"}, {176 + 140 / 3 - 10, 176 + 140 / 3 - 10 + 40}},
      {u"a\r\nb\r\nc", kBox, {u"a", u"b", u"c"}, {176 + 25, 206 + 25, 236 + 25}},
      // Four lines: 10 pixels more at top and bottom, first line 14 below the grown top.
      {u"a\r\nb\r\nc\r\nd", {12, 166, 262, 326}, {u"a", u"b", u"c", u"d"}, {180, 210, 240, 270}},
      {u"a\r\nb\r\nc\r\nd\r\ne", {12, 156, 262, 336}, {u"a", u"b", u"c", u"d", u"e"}, {170, 200, 230, 260, 290}},
  };
  for (const Case& c : cases) {
    HelpBoxLayout layout = LayOutHelpBox(c.text, kBox);
    EXPECT_EQ(layout.box, c.box);
    ASSERT_EQ(layout.lines.size(), c.lines.size());
    for (size_t i = 0; i < c.lines.size(); ++i) {
      EXPECT_EQ(layout.lines[i].text, c.lines[i]);
      EXPECT_EQ(layout.lines[i].rect, (BoxRect{32, c.tops[i], 257, c.tops[i] + 20})) << i;
    }
  }
}

TEST(HelpBoxLayout, OnlyCrFollowedByLfSplits) {
  HelpBoxLayout layout = LayOutHelpBox(u"a\rb\nc\r\r\nd\r\n", kBox);
  ASSERT_EQ(layout.lines.size(), 3u);
  EXPECT_EQ(layout.lines[0].text, u"a\rb\nc\r");
  EXPECT_EQ(layout.lines[1].text, u"d");
  EXPECT_EQ(layout.lines[2].text, u"");
  EXPECT_EQ(layout.lines[1].rect.top - layout.lines[0].rect.top, 30);
}

TEST(HelpBoxLayout, EmptyTextHasNoLines) {
  EXPECT_TRUE(LayOutHelpBox(u"", kBox).lines.empty());
}

}  // namespace
