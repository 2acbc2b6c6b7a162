// Hostwell against the dynamic-DNS simulator: a lookup by name and by
// member, a service that refuses, answers without the lines or trickles its
// answer, and URLs that cannot be used.
#include <windows.h>

#include <gtest/gtest.h>

#include "hostwell.h"
#include "ostra_folder.h"

namespace {

std::wstring Url(const ostra::Simulator& s) { return L"http://127.0.0.1:" + std::to_wstring(s.Port()) + L"/"; }

TEST(Hostwell, LooksUpByNameOrByMember) {
  ostra::Simulator ddns(L"ddns_sim.exe", L"--entry m1/door=192.168.7.7:50123 --entry m2/=10.9.9.9:4444");
  char address[256] = {};
  int port = 0;
  ASSERT_EQ(DDNSAPI_ConnectW(Url(ddns).c_str(), L"m1", L"door"), 1) << ddns.Log();
  ASSERT_EQ(DDNSAPI_GetIPAndPort(address, sizeof(address), &port), 1);
  EXPECT_STREQ(address, "192.168.7.7");
  EXPECT_EQ(port, 50123);
  ASSERT_EQ(DDNSAPI_ConnectW(Url(ddns).c_str(), L"m2"), 1);
  ASSERT_EQ(DDNSAPI_GetIPAndPort(address, 5, &port), 1);
  EXPECT_STREQ(address, "10.9");  // cut to the buffer
  EXPECT_EQ(port, 4444);
  EXPECT_EQ(DDNSAPI_ConnectW(Url(ddns).c_str(), L"m1", L"nobody"), 0);  // 404
  EXPECT_EQ(DDNSAPI_GetIPAndPort(address, sizeof(address), &port), 0);
}

TEST(Hostwell, FailuresOfTheService) {
  ostra::Simulator empty(L"ddns_sim.exe", L"--behave empty");
  ostra::Simulator refusing(L"ddns_sim.exe", L"--behave unreachable");
  char address[256] = {};
  int port = 0;
  EXPECT_EQ(DDNSAPI_ConnectW(Url(empty).c_str(), L"m1", L"door"), 1);
  EXPECT_EQ(DDNSAPI_GetIPAndPort(address, sizeof(address), &port), 0);
  EXPECT_EQ(DDNSAPI_ConnectW(Url(refusing).c_str(), L"m1", L"door"), 0);
  EXPECT_EQ(DDNSAPI_ConnectW(L"not a url", L"m1", L"door"), 0);
  EXPECT_EQ(DDNSAPI_ConnectW(nullptr, L"m1"), 0);
}

TEST(Hostwell, AnAnswerThatTricklesEndsTheLookupAtItsDeadline) {
  // One byte every 2 s: each comes well within any single receive's limit.
  ostra::Simulator trickle(L"ddns_sim.exe", L"--behave trickle --entry m1/door=192.168.7.7:50123");
  const DWORD started = GetTickCount();
  EXPECT_EQ(DDNSAPI_ConnectW(Url(trickle).c_str(), L"m1", L"door"), 0);
  const DWORD elapsed = GetTickCount() - started;
  EXPECT_GE(elapsed, 4500u);
  EXPECT_LE(elapsed, 6500u);
  char address[256] = {};
  int port = 0;
  EXPECT_EQ(DDNSAPI_GetIPAndPort(address, sizeof(address), &port), 0);
  EXPECT_EQ(trickle.LogLines("request GET /lookup?member=m1&name=door HTTP/1.0").size(), 1u) << trickle.Log();
}

}  // namespace
