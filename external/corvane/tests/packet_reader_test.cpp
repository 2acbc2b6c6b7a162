// Splitting the stream into packets, whole or in pieces; hostile headers.
#include "packet_reader.h"

#include <gtest/gtest.h>

namespace {

using corvane::EncodePacket;
using corvane::PacketReader;

TEST(PacketReader, PacketsWholeAndByteByByte) {
  const uint8_t payload[5] = {1, 2, 3, 4, 5};
  std::vector<uint8_t> stream = EncodePacket(85, nullptr, 0, 7);
  std::vector<uint8_t> second = EncodePacket(1, payload, 5, 8);
  stream.insert(stream.end(), second.begin(), second.end());
  for (size_t chunk : {stream.size(), size_t(1), size_t(3), size_t(16)}) {
    PacketReader reader;
    std::vector<corvane::Packet> got;
    for (size_t at = 0; at < stream.size(); at += chunk) {
      reader.Feed(stream.data() + at, std::min(chunk, stream.size() - at));
      while (auto p = reader.Next()) got.push_back(*p);
    }
    ASSERT_EQ(got.size(), 2u) << chunk;
    EXPECT_EQ(got[0].Command(), 85);
    EXPECT_TRUE(got[0].payload.empty());
    EXPECT_EQ(got[1].Command(), 1);
    EXPECT_EQ(got[1].payload, std::vector<uint8_t>(payload, payload + 5));
    EXPECT_EQ(corvane::ReadU32(got[1].header + 12), 8u);
    EXPECT_FALSE(reader.Bad());
  }
}

TEST(PacketReader, HeaderLayout) {
  std::vector<uint8_t> p = EncodePacket(0x1234, "ab", 2, 0x01020304);
  EXPECT_EQ(std::string(p.begin(), p.begin() + 4), "CRVN");
  EXPECT_EQ(corvane::ReadU16(p.data() + 4), 1);
  EXPECT_EQ(corvane::ReadU16(p.data() + 6), 0x1234);
  EXPECT_EQ(corvane::ReadU32(p.data() + 8), 2u);
  EXPECT_EQ(corvane::ReadU32(p.data() + 12), 0x01020304u);
  EXPECT_EQ(p.size(), 18u);
}

TEST(PacketReader, BadMagicOrOversizedPayloadSpoilsTheStream) {
  std::vector<uint8_t> wrong = EncodePacket(1, nullptr, 0, 0);
  wrong[0] = 'X';
  std::vector<uint8_t> huge = EncodePacket(1, nullptr, 0, 0);
  corvane::WriteU32(huge.data() + 8, corvane::kMaxPayloadBytes + 1);
  std::vector<uint8_t> edge = EncodePacket(1, nullptr, 0, 0);
  corvane::WriteU32(edge.data() + 8, corvane::kMaxPayloadBytes);
  for (const auto& bytes : {wrong, huge}) {
    PacketReader reader;
    reader.Feed(bytes.data(), bytes.size());
    EXPECT_FALSE(reader.Next());
    EXPECT_TRUE(reader.Bad());
    std::vector<uint8_t> good = EncodePacket(1, nullptr, 0, 0);
    reader.Feed(good.data(), good.size());
    EXPECT_FALSE(reader.Next());  // nothing after a bad header
  }
  PacketReader reader;  // exactly 1 MiB is allowed and waits for its payload
  reader.Feed(edge.data(), edge.size());
  EXPECT_FALSE(reader.Next());
  EXPECT_FALSE(reader.Bad());
}

TEST(PacketReader, ManySmallPacketsKeepTheBufferBounded) {
  PacketReader reader;
  std::vector<uint8_t> one = EncodePacket(3, "x", 1, 0);
  size_t count = 0;
  for (int i = 0; i < 20000; ++i) {
    reader.Feed(one.data(), one.size());
    while (reader.Next()) ++count;
  }
  EXPECT_EQ(count, 20000u);
}

TEST(PacketReader, ReadyTellsWhetherNextHasSomethingToSay) {
  PacketReader reader;
  EXPECT_FALSE(reader.Ready());
  std::vector<uint8_t> p = EncodePacket(1, "abcd", 4, 0);
  reader.Feed(p.data(), p.size() - 1);
  EXPECT_FALSE(reader.Ready());  // the payload is not whole yet
  reader.Feed(p.data() + p.size() - 1, 1);
  EXPECT_TRUE(reader.Ready());
  EXPECT_TRUE(reader.Next());
  EXPECT_FALSE(reader.Ready());
  std::vector<uint8_t> huge = EncodePacket(1, nullptr, 0, 0);
  corvane::WriteU32(huge.data() + 8, corvane::kMaxPayloadBytes + 1);
  reader.Feed(huge.data(), huge.size());
  EXPECT_TRUE(reader.Ready());  // Next finds the stream bad
  EXPECT_FALSE(reader.Next());
  EXPECT_TRUE(reader.Bad());
  EXPECT_FALSE(reader.Ready());
}

}  // namespace
