// Cell shortening, sort order and the cells of a site's row.
#include "list_rows.h"

#include <gtest/gtest.h>

namespace {

// Every code unit 5 pixels wide, a dot 2.
int Width(std::u16string_view s) {
  int w = 0;
  for (char16_t c : s) w += c == u'.' ? 2 : 5;
  return w;
}

TEST(FitCellText, CutsAtTheEndWithDotsWithinTheMargin) {
  struct Case {
    std::u16string text;
    int column, margin;
    std::u16string shown;
  } cases[] = {
      {u"abcdef", 34, 4, u"abcdef"},        // 30 + 4 fits exactly
      {u"abcdef", 33, 4, u"abcd..."},       // 20 + 6 + 4 <= 33
      {u"abcdef", 33, 12, u"abc..."},       // 15 + 6 + 12 <= 33
      {u"abcdef", 22, 4, u"ab..."},        // 10 + 6 + 4 <= 22
      {u"abcdef", 19, 4, u".."},            // one character would remain
      {u"abcdef", 3, 12, u".."},
      {u"", 0, 12, u""},
      {u"ab\U0001F600cd", 29, 4, u"ab..."},  // the pair goes whole: half of it would fit
  };
  for (const Case& c : cases)
    EXPECT_EQ(FitCellText(c.text, c.column, c.margin, Width), c.shown) << c.column << " " << c.margin;
}

TEST(SortRows, MiddlePivotQuicksortByTextOrNumber) {
  std::vector<std::u16string> cells = {u"b", u"B", u"a", u"10", u"9x", u"", u"a"};
  std::vector<int> rows = {0, 1, 2, 3, 4, 5, 6};
  SortRows(rows, cells, false, true);
  std::vector<std::u16string> sorted;
  for (int r : rows) sorted.push_back(cells[size_t(r)]);
  EXPECT_EQ(sorted, (std::vector<std::u16string>{u"", u"10", u"9x", u"B", u"a", u"a", u"b"}));

  SortRows(rows, cells, true, false);
  std::vector<int> numbers;
  for (int r : rows) numbers.push_back(cells[size_t(r)] == u"10" ? 10 : cells[size_t(r)] == u"9x" ? 9 : 0);
  EXPECT_EQ(numbers, (std::vector<int>{10, 9, 0, 0, 0, 0, 0}));

  std::vector<std::u16string> many;
  std::vector<int> all;
  for (int i = 0; i < 500; ++i) many.push_back(std::u16string(1, char16_t(u'a' + (i * 7919) % 26))), all.push_back(i);
  SortRows(all, many, false, true);
  for (size_t i = 1; i < all.size(); ++i) ASSERT_LE(many[size_t(all[i - 1])], many[size_t(all[i])]);
}

TEST(SortState, SameColumnReversesAnotherSortsAscending) {
  SortState s;
  s.Click(2);
  EXPECT_TRUE(s.column == 2 && s.ascending);
  s.Click(2);
  EXPECT_FALSE(s.ascending);
  s.Click(0);
  EXPECT_TRUE(s.column == 0 && s.ascending);
}

TEST(SiteCells, AddressLocationPortTypeAndId) {
  SiteRecord r = NewSiteRecord();
  SetSiteText(r.ip, u"10.1.2.3");
  SetSiteText(r.location, u"Shop");
  SetSiteText(r.id, u"admin");
  r.port = 0;
  auto cells = SiteCells(r);
  EXPECT_EQ(cells, (std::array<std::u16string, 5>{u"10.1.2.3", u"Shop", u"0", u"IP", u"admin"}));
  r.type = 7;
  r.port = -3;
  cells = SiteCells(r);
  EXPECT_EQ(cells[2], u"-3");
  EXPECT_EQ(cells[3], u"DDNS");
}

}  // namespace
