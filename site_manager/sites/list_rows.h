// The list control's decisions that need no window: shortening a cell text
// to its column, the order of a sort, and the five cells of a site's row.
// Portable.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "site_record.h"

// Width in pixels of a text as the list's font draws it.
using TextWidth = std::function<int(std::u16string_view)>;

// The text whole when it and the margin fit the column; otherwise cut at its
// end (never inside a surrogate pair) and followed by "...", or ".." when
// fewer than 2 characters would remain. The first column's margin is 4
// pixels, the others' 12.
std::u16string FitCellText(std::u16string_view text, int columnWidth, int margin, const TextWidth& width);

// Sorts row numbers by their cells of one column in place with a quicksort
// that takes each range's middle row as pivot. Text compares by UTF-16 code
// unit; numeric columns by leading decimal digits (0 when none).
void SortRows(std::vector<int>& rows, const std::vector<std::u16string>& cells, bool numeric, bool ascending);

// What a click on a header does to the sort: the same column reverses it,
// another column sorts ascending.
struct SortState {
  int column = -1;  // none yet
  bool ascending = true;
  void Click(int clicked) {
    ascending = clicked == column ? !ascending : true;
    column = clicked;
  }
};

// The site list's columns: address, location, port, type, user ID.
inline constexpr int kSiteColumns = 5;
std::array<std::u16string, kSiteColumns> SiteCells(const SiteRecord& site);
