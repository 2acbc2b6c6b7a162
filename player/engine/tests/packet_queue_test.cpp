#include "packet_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace engine {
namespace {

using backup::FrameRecord;
constexpr uint32_t kRecord = sizeof(FrameRecord);

std::vector<uint8_t> Pattern(uint32_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (uint32_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7);
  return v;
}

FrameRecord Record(uint32_t timestamp) {
  FrameRecord r{};
  r.stream_kind = backup::kVideoStream;
  r.frame_kind = backup::kKeyFrame;
  r.timestamp = timestamp;
  r.frame_rate = 25;
  r.data_length = 12345;  // Push sets the real length
  return r;
}

bool Push(PacketQueue& q, uint32_t timestamp, const std::vector<uint8_t>& data, uint32_t length) {
  const FrameRecord r = Record(timestamp);
  return q.Push(&r, data.data(), length);
}
bool Push(PacketQueue& q, uint32_t timestamp, const std::vector<uint8_t>& data) {
  return Push(q, timestamp, data, static_cast<uint32_t>(data.size()));
}

TEST(PacketQueue, FramesComeBackInOrderAcrossTheRingsEnd) {
  auto q = std::make_unique<PacketQueue>();
  std::vector<uint8_t> out(PacketQueue::kCapacity);
  FrameRecord r;
  // Walk the write offset to 20 bytes before the end, so the next record wraps.
  const uint32_t filler = PacketQueue::kCapacity - 2 * kRecord - 20;
  const auto big = Pattern(filler, 1);
  ASSERT_TRUE(Push(*q, 1, big, filler));
  ASSERT_TRUE(q->Pop(&r, out.data()));

  // Record split by the end, then data split by the end.
  const auto a = Pattern(1000, 2), b = Pattern(PacketQueue::kCapacity / 2, 3);
  ASSERT_TRUE(Push(*q, 2, a, 1000));
  ASSERT_TRUE(Push(*q, 3, b));
  EXPECT_EQ(q->EntryCount(), 2u);

  ASSERT_TRUE(q->Pop(&r, out.data()));
  EXPECT_EQ(r.timestamp, 2u);
  EXPECT_EQ(r.data_length, 1000u);
  EXPECT_EQ(r.frame_rate, 25u);
  EXPECT_TRUE(std::equal(a.begin(), a.end(), out.begin()));
  ASSERT_TRUE(q->Pop(&r, out.data()));
  EXPECT_EQ(r.timestamp, 3u);
  EXPECT_TRUE(std::equal(b.begin(), b.end(), out.begin()));
  EXPECT_EQ(q->EntryCount(), 0u);
  EXPECT_EQ(q->UsedBytes(), 0u);
}

TEST(PacketQueue, ExactlyFullPushSucceedsOneByteMoreFails) {
  auto q = std::make_unique<PacketQueue>();
  const auto first = Pattern(1000, 4);
  ASSERT_TRUE(Push(*q, 1, first, 1000));
  const uint32_t free = PacketQueue::kCapacity - (kRecord + 1000);
  const auto rest = Pattern(free - kRecord + 1, 5);
  EXPECT_FALSE(Push(*q, 2, rest, free - kRecord + 1));
  EXPECT_EQ(q->EntryCount(), 1u);
  EXPECT_TRUE(Push(*q, 2, rest, free - kRecord));
  EXPECT_EQ(q->UsedBytes(), PacketQueue::kCapacity);
  EXPECT_FALSE(Push(*q, 3, rest, 1));
}

TEST(PacketQueue, RefusesMissingArgumentsAndPopsNothingWhenEmpty) {
  auto q = std::make_unique<PacketQueue>();
  const auto data = Pattern(10, 6);
  FrameRecord r;
  uint8_t out[16];
  const FrameRecord one = Record(1);
  EXPECT_FALSE(q->Push(nullptr, data.data(), 10));
  EXPECT_FALSE(q->Push(&one, nullptr, 10));
  EXPECT_FALSE(Push(*q, 1, data, 0));

  // An empty queue fails at once, even while another thread holds nothing up.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(q->Pop(&r, out));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  ASSERT_TRUE(Push(*q, 1, data, 10));
  EXPECT_FALSE(q->Pop(nullptr, out));
  EXPECT_FALSE(q->Pop(&r, nullptr));
}

TEST(PacketQueue, EmptyStartsOverAtOffsetZero) {
  auto q = std::make_unique<PacketQueue>();
  const auto a = Pattern(PacketQueue::kCapacity - 100, 7), b = Pattern(200, 8);
  ASSERT_TRUE(Push(*q, 1, a));
  q->Empty();
  EXPECT_EQ(q->EntryCount(), 0u);
  // A 200-byte frame would not fit behind the old one without wrapping; after
  // Empty it goes to offset 0 and the whole ring is free again.
  ASSERT_TRUE(Push(*q, 2, b, 200));
  const auto c = Pattern(PacketQueue::kCapacity - 2 * kRecord - 200, 9);
  EXPECT_TRUE(Push(*q, 3, c));
}

TEST(PacketQueue, ProducerAndConsumerThreadsPassEveryFrameIntact) {
  auto q = std::make_unique<PacketQueue>();
  constexpr int kFrames = 2000;
  std::thread producer([&] {
    for (int i = 0; i < kFrames;) {
      const auto data = Pattern(1 + i * 997 % 60000, static_cast<uint8_t>(i));
      if (Push(*q, i, data)) ++i;
      else std::this_thread::yield();
    }
  });
  std::vector<uint8_t> out(PacketQueue::kCapacity);
  FrameRecord r;
  for (int i = 0; i < kFrames;) {
    if (!q->Pop(&r, out.data())) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_EQ(r.timestamp, static_cast<uint32_t>(i));
    const auto expected = Pattern(1 + i * 997 % 60000, static_cast<uint8_t>(i));
    ASSERT_EQ(r.data_length, expected.size());
    ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out.begin()));
    ++i;
  }
  producer.join();
}

}  // namespace
}  // namespace engine
