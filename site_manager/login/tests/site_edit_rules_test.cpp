// The site edit dialog's layout per mode, port guard and checks of OK.
#include "site_edit_rules.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const ControlPlace* Place(const SiteEditLayout& l, int id) {
  auto it = std::find_if(l.shown.begin(), l.shown.end(), [id](const ControlPlace& p) { return p.id == id; });
  return it == l.shown.end() ? nullptr : &*it;
}
bool Hidden(const SiteEditLayout& l, int id) { return std::count(l.hidden.begin(), l.hidden.end(), id) == 1; }

TEST(SiteEditLayout, ByMode) {
  SiteEditLayout none = LayoutFor(kNoDdns);
  EXPECT_EQ(none.width, 426);
  EXPECT_EQ(none.height, 330);
  EXPECT_EQ(Place(none, kAddressEdit)->y, 60);
  EXPECT_EQ(Place(none, kPasswordEdit)->y, 225);
  EXPECT_EQ(Place(none, kOkButton)->y, 265);
  for (int id : {kManualRadio, kDdnsRadio, kMemberEdit, kNameEdit, kLookupButton}) {
    EXPECT_TRUE(Hidden(none, id)) << id;
    EXPECT_FALSE(Place(none, id)) << id;
  }

  SiteEditLayout byName = LayoutFor(kDdnsByName);
  EXPECT_EQ(byName.height, 470);
  EXPECT_EQ(Place(byName, kNameEdit)->y, 130);
  EXPECT_EQ(Place(byName, kLookupButton)->y, 160);
  EXPECT_EQ(Place(byName, kAddressEdit)->y, 200);
  EXPECT_EQ(Place(byName, kCancelButton)->y, 405);
  EXPECT_TRUE(byName.hidden.empty());

  SiteEditLayout byMember = LayoutFor(2);
  EXPECT_EQ(byMember.height, 440);
  EXPECT_TRUE(Hidden(byMember, kNameEdit) && Hidden(byMember, kNameLabel));
  EXPECT_EQ(Place(byMember, kLookupButton)->y, 130);
  EXPECT_EQ(Place(byMember, kGroupBox)->height, 400);

  for (const SiteEditLayout& l : {none, byName, byMember})
    for (const ControlPlace& p : l.shown) {
      if (p.id != kGroupBox) {
        EXPECT_LE(p.y + p.height, l.height - 30) << p.id;  // inside the window's client
      }
    }
}

TEST(PortGuard, AboveTheHighestPortTakenAsUnsigned) {
  struct Case {
    std::u16string text;
    std::optional<int32_t> replaced;
  } cases[] = {{u"70000", 65530}, {u"65531", 65530}, {u"65530", std::nullopt}, {u"0", std::nullopt},
               {u"", std::nullopt},  {u"-1", 65530},   {u"99999", 65530},       {u"12ab", std::nullopt}};
  for (const Case& c : cases)
    EXPECT_EQ(GuardedPort(c.text), c.replaced) << std::string(c.text.begin(), c.text.end());
  EXPECT_EQ(PortValue(u"12ab"), 12);
  EXPECT_EQ(PortValue(u"abc"), 0);
  EXPECT_EQ(PortValue(u"-5"), -5);
}

SiteEditFields Valid(bool useDdns) {
  return {useDdns, u"member1", u"door", u"10.0.0.1", u"50000", u"Shop", u"admin", u"1234"};
}

TEST(SiteEditCheck, FailuresInTheirOrder) {
  struct Case {
    const char* what;
    bool useDdns;
    int mode;
    void (*change)(SiteEditFields&);
    const char16_t* message;
    bool lookupFirst;
  } cases[] = {
      {"name before member", true, 1, [](SiteEditFields& f) { f.name.clear(), f.member.clear(); }, u"NAME EMPTY", true},
      {"member", true, 1, [](SiteEditFields& f) { f.member.clear(); }, u"MEMBER ID EMPTY", true},
      {"mode 2 needs no name", true, 2, [](SiteEditFields& f) { f.name.clear(), f.address.clear(); }, u"ADDRESS EMPTY", true},
      {"manual ignores member", false, 1, [](SiteEditFields& f) { f.member.clear(), f.address.clear(); }, u"ADDRESS EMPTY", true},
      {"port 0", false, 1, [](SiteEditFields& f) { f.port = u"0"; }, u"INVALID PORT", true},
      {"port empty", false, 1, [](SiteEditFields& f) { f.port.clear(); }, u"INVALID PORT", true},
      {"port above", false, 1, [](SiteEditFields& f) { f.port = u"65531"; }, u"INVALID PORT", true},
      {"port before user", false, 1, [](SiteEditFields& f) { f.port = u"0", f.id.clear(); }, u"INVALID PORT", true},
      {"user last, no lookup", true, 1, [](SiteEditFields& f) { f.id.clear(); }, u"USER ID EMPTY", false},
  };
  for (const Case& c : cases) {
    SiteEditFields f = Valid(c.useDdns);
    c.change(f);
    SiteEditCheck check = CheckSiteEdit(f, c.mode);
    ASSERT_TRUE(check.failure) << c.what;
    EXPECT_EQ(std::u16string(check.failure->text), c.message) << c.what;
    EXPECT_EQ(check.lookupFirst, c.lookupFirst) << c.what;
  }
}

TEST(SiteEditCheck, RecordByState) {
  SiteEditCheck manual = CheckSiteEdit(Valid(false), 1);
  ASSERT_FALSE(manual.failure);
  EXPECT_EQ(manual.record.size, kSiteRecordSize);
  EXPECT_EQ(manual.record.type, 0);
  EXPECT_EQ(SiteText(manual.record.ddnsMember), u"");
  EXPECT_EQ(SiteText(manual.record.location), u"Shop");
  EXPECT_EQ(manual.record.port, 50000);

  SiteEditCheck byName = CheckSiteEdit(Valid(true), 1);
  EXPECT_EQ(byName.record.type, 1);
  EXPECT_EQ(SiteText(byName.record.ddnsMember), u"member1");
  EXPECT_EQ(SiteText(byName.record.ddnsName), u"door");

  SiteEditCheck byMember = CheckSiteEdit(Valid(true), 2);
  EXPECT_EQ(SiteText(byMember.record.ddnsName), u"");  // the name is not kept in mode 2

  SiteEditFields longer = Valid(false);
  longer.address = std::u16string(70, u'a');
  longer.location = std::u16string(60, u'b');
  SiteEditCheck cut = CheckSiteEdit(longer, 3);
  EXPECT_EQ(SiteText(cut.record.ip).size(), 59u);
  EXPECT_EQ(SiteText(cut.record.location).size(), 29u);
}

}  // namespace
