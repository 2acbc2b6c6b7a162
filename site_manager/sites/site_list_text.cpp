#include "site_list_text.h"

namespace {

std::u16string Decimal(long long v) {
  std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

void Line(std::u16string& out, std::u16string_view key, std::u16string_view value, std::u16string_view tail = u"") {
  out.append(key).append(u"=").append(value).append(tail).append(u"\r\n");
}

}  // namespace

std::u16string SiteSectionName(int position) { return kSitePrefix + Decimal(position); }

std::optional<int> SiteSectionNumber(std::u16string_view name) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!name.empty() && blank(name.front())) name.remove_prefix(1);
  while (!name.empty() && blank(name.back())) name.remove_suffix(1);
  const std::u16string_view prefix = kSitePrefix;
  if (name.size() <= prefix.size()) return std::nullopt;
  for (size_t i = 0; i < prefix.size(); ++i) {
    const char16_t c = name[i] >= u'a' && name[i] <= u'z' ? char16_t(name[i] - u'a' + u'A') : name[i];
    if (c != prefix[i]) return std::nullopt;
  }
  const std::u16string_view digits = name.substr(prefix.size());
  if (digits.size() > 10 || digits[0] == u'0') return std::nullopt;
  long long n = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return std::nullopt;
    n = n * 10 + (c - u'0');
  }
  if (n > 0x7FFFFFFF) return std::nullopt;
  return int(n);
}

std::u16string SiteListText(std::span<SiteRecord* const> sites) {
  std::u16string out;
  out.append(u"[").append(kSetupSection).append(u"]\r\n");
  Line(out, kNumberKey, Decimal(static_cast<long long>(sites.size()) + 1));
  int position = 0;
  for (SiteRecord* site : sites) {
    // The empty line before each header comes from the header's own CR LF.
    out.append(u"\r\n[").append(SiteSectionName(++position)).append(u"]\r\n");
    if (site->ip[0] == 0) SetSiteText(site->ip, u"INVALID IP");
    Line(out, u"TYPE", Decimal(site->type));
    Line(out, u"IP", SiteText(site->ip));
    Line(out, u"PORT", Decimal(site->port));
    Line(out, u"ID", SiteText(site->id));
    Line(out, u"PWD", SiteText(site->pwd));
    Line(out, u"DDNS_MEMBER", SiteText(site->ddnsMember));
    Line(out, u"DDNS_NAME", SiteText(site->ddnsName));
    Line(out, u"LOCATION", SiteText(site->location), u"    ");
  }
  return out;
}
