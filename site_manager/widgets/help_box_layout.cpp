#include "help_box_layout.h"

HelpBoxLayout LayOutHelpBox(std::u16string_view text, BoxRect box) {
  HelpBoxLayout layout{box, {}};
  if (text.empty()) return layout;
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == u'\r' && text[i + 1] == u'\n') {
      lines.push_back(text.substr(start, i - start));
      start = i + 2;
    }
  }
  lines.push_back(text.substr(start < text.size() ? start : text.size()));

  const int n = static_cast<int>(lines.size());
  if (n >= 4) {
    layout.box.top -= (n - 3) * 10;
    layout.box.bottom += (n - 3) * 10;
  }
  const BoxRect& b = layout.box;
  const int height = b.bottom - b.top;
  int y = b.top + (n == 1 ? height / 2 - 10 : n == 2 ? height / 3 - 10 : n == 3 ? height / 4 - 10 : 14);
  const int step = n == 2 ? 40 : 30;
  for (std::u16string_view line : lines) {
    layout.lines.push_back({line, {b.left + 20, y, b.right - 5, y + kHelpLineHeight}});
    y += step;
  }
  return layout;
}
