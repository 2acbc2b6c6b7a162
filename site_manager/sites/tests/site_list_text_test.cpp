// The saved text of the site list: header and count, one section per site
// in list order, four spaces after the location, no trailing empty line.
#include "site_list_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

SiteRecord Site(std::u16string_view ip, std::u16string_view id, int port, uint8_t type = 0) {
  SiteRecord r = NewSiteRecord();
  SetSiteText(r.ip, ip);
  SetSiteText(r.id, id);
  r.port = port;
  r.type = type;
  return r;
}

TEST(SiteListText, EmptyListHasOnlyTheCountOfOne) {
  EXPECT_EQ(SiteListText({}), u"[SETUP_INFO]\r\nNUMBER=1\r\n");
}

TEST(SiteListText, TwoSitesInListOrderWithAnEmptyLineBeforeEachHeader) {
  SiteRecord a = Site(u"192.168.0.10", u"admin", 50000);
  SetSiteText(a.pwd, u"1111");
  SetSiteText(a.location, u"Shop");
  SiteRecord b = Site(u"cam.example.net", u"guest", -5, 1);
  SetSiteText(b.ddnsMember, u"member7");
  SetSiteText(b.ddnsName, u"front door");
  std::vector<SiteRecord*> list = {&a, &b};
  EXPECT_EQ(SiteListText(list),
            u"[SETUP_INFO]\r\nNUMBER=3\r\n"
            u"\r\n[DVR1]\r\nTYPE=0\r\nIP=192.168.0.10\r\nPORT=50000\r\nID=admin\r\nPWD=1111\r\n"
            u"DDNS_MEMBER=\r\nDDNS_NAME=\r\nLOCATION=Shop    \r\n"
            u"\r\n[DVR2]\r\nTYPE=1\r\nIP=cam.example.net\r\nPORT=-5\r\nID=guest\r\nPWD=\r\n"
            u"DDNS_MEMBER=member7\r\nDDNS_NAME=front door\r\nLOCATION=    \r\n");
}

TEST(SiteListText, EmptyAddressIsWrittenAndKeptAsInvalidIp) {
  SiteRecord a = Site(u"", u"x", 1, 255);
  std::vector<SiteRecord*> list = {&a};
  std::u16string text = SiteListText(list);
  EXPECT_NE(text.find(u"\r\nTYPE=255\r\nIP=INVALID IP\r\nPORT=1\r\n"), std::u16string::npos);
  EXPECT_EQ(SiteText(a.ip), u"INVALID IP");
}

TEST(SiteListText, SectionNumbersAreThoseOfTheNamesTheProfileFunctionsFind) {
  EXPECT_EQ(SiteSectionNumber(u"DVR1"), 1);
  EXPECT_EQ(SiteSectionNumber(u"dvr12"), 12);
  EXPECT_EQ(SiteSectionNumber(u" DvR7 "), 7);
  EXPECT_EQ(SiteSectionNumber(u"DVR2147483647"), 2147483647);
  for (const char16_t* other : {u"DVR", u"DVR0", u"DVR01", u"DVR-1", u"DVR+1", u"DVR1a", u"DVR 1", u"DVR2147483648",
                                u"DVR99999999999", u"SETUP_INFO", u"XDVR1", u""})
    EXPECT_EQ(SiteSectionNumber(other), std::nullopt) << std::string(other, other + std::char_traits<char16_t>::length(other));
  for (int n : {1, 9, 10, 4095, 2147483647}) EXPECT_EQ(SiteSectionNumber(SiteSectionName(n)), n);
}

TEST(SiteRecord, TextIsCutToTheLimitAndTheFieldAndAlwaysTerminated) {
  SiteRecord r = NewSiteRecord();
  EXPECT_EQ(r.size, 432);
  std::u16string longText(100, u'a');
  SetSiteText(r.ip, longText);
  EXPECT_EQ(SiteText(r.ip).size(), 59u);
  SetSiteText(r.location, longText, 29);
  EXPECT_EQ(SiteText(r.location).size(), 29u);
  SetSiteText(r.location, u"ab");
  EXPECT_EQ(SiteText(r.location), u"ab");
  EXPECT_EQ(r.location[30], 0);
}

}  // namespace
