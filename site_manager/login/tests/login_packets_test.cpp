// The login's byte layouts, its reading of the answer and the user levels.
#include "login_packets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "corvane_header.h"

namespace {

TEST(ConnectSocketInfo, AddressThenTheFixedFields) {
  ConnectSocketInfo info = MakeConnectSocketInfo("127.0.0.1", 50123);
  const auto* b = reinterpret_cast<const uint8_t*>(&info);
  EXPECT_STREQ(info.address, "127.0.0.1");
  for (size_t i = 9; i < 260; ++i) ASSERT_EQ(b[i], 0) << i;
  EXPECT_EQ(corvane::ReadU32(b + 260), 2u);
  EXPECT_EQ(corvane::ReadU32(b + 264), 50123u);
  EXPECT_EQ(corvane::ReadU32(b + 268), 0u);
  EXPECT_EQ(b[272], 1);
  EXPECT_EQ(b[273] | b[274] | b[275], 0);
  EXPECT_EQ(corvane::ReadU32(b + 276), 0x100000u);
  EXPECT_EQ(corvane::ReadU32(b + 280), 0u);
}

TEST(ConnectSocketInfo, LongAddressKeepsItsTerminator) {
  ConnectSocketInfo info = MakeConnectSocketInfo(std::string(400, 'a'), 1);
  EXPECT_EQ(std::strlen(info.address), 259u);
}

TEST(LoginRequest, IdPasswordFlagsAndOne) {
  struct Case {
    uint32_t skinCode, flags;
  } cases[] = {{kLumoraSkin, 0x80000000u}, {0x564C4D52, 0}, {0, 0}};
  for (const Case& c : cases) {
    LoginRequest r = MakeLoginRequest("admin", "1234", c.skinCode);
    const auto* b = reinterpret_cast<const uint8_t*>(&r);
    EXPECT_STREQ(r.id, "admin");
    EXPECT_STREQ(r.password, "1234");
    EXPECT_EQ(b[127], 0);
    EXPECT_EQ(corvane::ReadU32(b + 256), c.flags) << std::hex << c.skinCode;
    EXPECT_EQ(corvane::ReadU32(b + 260), 1u);
    for (size_t i = 264; i < 276; ++i) EXPECT_EQ(b[i], 0) << i;
  }
  LoginRequest r = MakeLoginRequest(std::string(200, 'x'), std::string(128, '9'), 0);
  EXPECT_EQ(std::strlen(r.id), 127u);
  EXPECT_EQ(std::strlen(r.password), 127u);
}

TEST(LoginAnswer, ResultCodeOnlyWhenThePayloadHoldsIt) {
  uint8_t header[corvane::kHeaderBytes];
  const uint8_t payload[4] = {2, 0, 0, 0};
  for (uint32_t length : {0u, 1u, 3u}) {
    corvane::WriteHeader(header, {corvane::kLoginCommand, length, 0});
    EXPECT_FALSE(LoginResultCode(header, payload)) << length;
  }
  corvane::WriteHeader(header, {corvane::kLoginCommand, 4, 0});
  EXPECT_EQ(LoginResultCode(header, payload), 2);
  EXPECT_FALSE(LoginResultCode(nullptr, payload));
  EXPECT_FALSE(LoginResultCode(header, nullptr));
}

TEST(LoginAnswer, MessagesOfTheRefusals) {
  EXPECT_FALSE(MessageOf(1));
  EXPECT_EQ(std::u16string(MessageOf(2)->text), u"Check Password!");
  EXPECT_EQ(std::u16string(MessageOf(3)->key), u"ErrMsg2");
  EXPECT_EQ(std::u16string(MessageOf(4)->text), u"Users connect excess.");
  EXPECT_FALSE(MessageOf(5));
  EXPECT_FALSE(MessageOf(-1));
}

TEST(UserLevel, FromTheIdWithItsLettersMadeCapital) {
  const unsigned all = kLiveView | kBackup | kSearch | kRemoteSetup;
  struct Case {
    std::u16string id;
    unsigned functions;
  } cases[] = {
      {u"ADMIN", all}, {u"admin", all}, {u"aDmIn", all}, {u"SUPER", all}, {u"super", all},
      {u"MANAGER", kLiveView | kBackup | kSearch}, {u"Manager", kLiveView | kBackup | kSearch},
      {u"guest", kLiveView}, {u"admin1", kLiveView}, {u" admin", kLiveView}, {u"", kLiveView},
      {u"\u00e0dmin", kLiveView},  // only a-z change case
  };
  for (const Case& c : cases)
    EXPECT_EQ(FunctionsOfUser(c.id), c.functions) << std::string(c.id.begin(), c.id.end());
}

}  // namespace
