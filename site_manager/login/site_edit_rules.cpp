#include "site_edit_rules.h"

SiteEditLayout LayoutFor(int mode) {
  constexpr int kLabelX = 50, kEditX = 160, kLabelW = 100, kEditW = 220, kRowH = 20;
  SiteEditLayout l;
  auto row = [&l](int label, int edit, int y) {
    l.shown.push_back({label, kLabelX, y, kLabelW, kRowH});
    l.shown.push_back({edit, kEditX, y, kEditW, kRowH});
  };
  if (mode == kNoDdns) {
    l.width = 426, l.height = 330;
    l.shown = {{kGroupBox, 10, 8, 400, 290}, {kConnectionBox, 20, 28, 380, 130}, {kLoginBox, 20, 168, 380, 90}};
    row(kAddressLabel, kAddressEdit, 60);
    row(kPortLabel, kPortEdit, 90);
    row(kLocationLabel, kLocationEdit, 130);
    row(kUserIdLabel, kUserIdEdit, 195);
    row(kPasswordLabel, kPasswordEdit, 225);
    l.shown.push_back({kOkButton, 50, 265, 150, 25});
    l.shown.push_back({kCancelButton, 210, 265, 150, 25});
    l.hidden = {kManualRadio, kDdnsRadio, kMemberLabel, kMemberEdit, kNameLabel, kNameEdit, kLookupButton};
    return l;
  }
  const int e = mode == kDdnsByName ? 30 : 0;
  l.width = 426, l.height = 440 + e;
  l.shown = {{kGroupBox, 10, 8, 400, 400 + e}, {kConnectionBox, 20, 28, 380, 240 + e}, {kLoginBox, 20, 278 + e, 380, 90},
             {kManualRadio, 100, 60, 120, 20}, {kDdnsRadio, 250, 60, 120, 20}};
  row(kMemberLabel, kMemberEdit, 100);
  if (mode == kDdnsByName)
    row(kNameLabel, kNameEdit, 130);
  else
    l.hidden = {kNameLabel, kNameEdit};
  l.shown.push_back({kLookupButton, 160, 130 + e, 220, 25});
  row(kAddressLabel, kAddressEdit, 170 + e);
  row(kPortLabel, kPortEdit, 200 + e);
  row(kLocationLabel, kLocationEdit, 240 + e);
  row(kUserIdLabel, kUserIdEdit, 305 + e);
  row(kPasswordLabel, kPasswordEdit, 335 + e);
  l.shown.push_back({kOkButton, 50, 375 + e, 150, 25});
  l.shown.push_back({kCancelButton, 210, 375 + e, 150, 25});
  return l;
}

int32_t PortValue(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    if (value < INT32_MAX) value = value * 10 + (text[i] - u'0');
  if (value > INT32_MAX) value = INT32_MAX;
  return int32_t(negative ? -value : value);
}

std::optional<int32_t> GuardedPort(std::u16string_view text) {
  if (uint32_t(PortValue(text)) > uint32_t(kHighestPort)) return kHighestPort;
  return std::nullopt;
}

SiteEditCheck CheckSiteEdit(const SiteEditFields& f, int mode) {
  SiteEditCheck check;
  auto fail = [&check](const char16_t* key, const char16_t* text, bool lookupFirst) {
    check.failure = SiteEditMessage{key, text};
    check.lookupFirst = lookupFirst;
    return check;
  };
  std::u16string_view member, name;
  if (f.useDdns) {
    member = f.member;
    if (mode == kDdnsByName) {
      name = f.name;
      if (name.empty()) return fail(u"ErrMsg2", u"NAME EMPTY", true);
    }
    if (member.empty()) return fail(u"ErrMsg1", u"MEMBER ID EMPTY", true);
  }
  if (f.address.empty()) return fail(u"ErrMsg3", u"ADDRESS EMPTY", true);
  const int32_t port = PortValue(f.port);
  if (port < 1 || port > kHighestPort) return fail(u"ErrMsg4", u"INVALID PORT", true);
  if (f.id.empty()) return fail(u"ErrMsg5", u"USER ID EMPTY", false);

  SiteRecord& r = check.record = NewSiteRecord();
  r.type = f.useDdns ? 1 : 0;
  SetSiteText(r.ddnsMember, member, 29);
  SetSiteText(r.ddnsName, name, 29);
  SetSiteText(r.ip, f.address, 59);
  r.port = port;
  SetSiteText(r.location, f.location, 29);
  SetSiteText(r.id, f.id, 29);
  SetSiteText(r.pwd, f.pwd, 29);
  return check;
}
