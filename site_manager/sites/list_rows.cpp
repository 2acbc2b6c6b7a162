#include "list_rows.h"

#include <utility>

namespace {

bool IsTrailSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

int LeadingNumber(std::u16string_view s) {
  long long v = 0;
  for (size_t i = 0; i < s.size() && s[i] >= u'0' && s[i] <= u'9' && v < 1'000'000'000; ++i) v = v * 10 + (s[i] - u'0');
  return int(v);
}

void QuickSort(std::vector<int>& rows, int lo, int hi, const std::function<bool(int, int)>& before) {
  while (lo < hi) {
    const int pivot = rows[size_t(lo + (hi - lo) / 2)];
    int i = lo, j = hi;
    while (i <= j) {
      while (before(rows[size_t(i)], pivot)) ++i;
      while (before(pivot, rows[size_t(j)])) --j;
      if (i <= j) std::swap(rows[size_t(i++)], rows[size_t(j--)]);
    }
    // The smaller side first keeps the recursion shallow.
    if (j - lo < hi - i) {
      QuickSort(rows, lo, j, before);
      lo = i;
    } else {
      QuickSort(rows, i, hi, before);
      hi = j;
    }
  }
}

}  // namespace

std::u16string FitCellText(std::u16string_view text, int columnWidth, int margin, const TextWidth& width) {
  if (text.empty() || width(text) + margin <= columnWidth) return std::u16string(text);
  static constexpr std::u16string_view kDots = u"...";
  const int dots = width(kDots);
  size_t n = text.size();
  while (n > 0) {
    --n;
    if (n > 0 && IsTrailSurrogate(text[n])) --n;  // the pair goes together
    if (width(text.substr(0, n)) + dots + margin <= columnWidth) break;
  }
  if (n < 2) return u"..";
  return std::u16string(text.substr(0, n)) + std::u16string(kDots);
}

void SortRows(std::vector<int>& rows, const std::vector<std::u16string>& cells, bool numeric, bool ascending) {
  auto before = [&](int a, int b) {
    const std::u16string &x = cells[size_t(a)], &y = cells[size_t(b)];
    if (numeric) return ascending ? LeadingNumber(x) < LeadingNumber(y) : LeadingNumber(y) < LeadingNumber(x);
    return ascending ? x < y : y < x;
  };
  if (!rows.empty()) QuickSort(rows, 0, int(rows.size()) - 1, before);
}

std::array<std::u16string, kSiteColumns> SiteCells(const SiteRecord& site) {
  std::u16string port;
  const std::string digits = std::to_string(site.port);
  port.assign(digits.begin(), digits.end());
  return {std::u16string(SiteText(site.ip)), std::u16string(SiteText(site.location)), port,
          site.type != 0 ? u"DDNS" : u"IP", std::u16string(SiteText(site.id))};
}
