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
