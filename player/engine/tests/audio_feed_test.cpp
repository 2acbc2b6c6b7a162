#include "audio_feed.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../../backup_file/tests/box_builder.h"
#include "audio_ring.h"

namespace engine {
namespace {

using backup::testing::Box;
using backup::testing::Bytes;
constexpr uint32_t kBlock = 4608;
constexpr uint32_t kFrame = 1152;  // mu-law bytes: 2,304 PCM bytes, half a block

// Two PCM bytes per input byte, both the input byte; remembers what it was given.
class DoublingDecoder : public AudioDecoder {
 public:
  uint32_t Decode(const uint8_t* input, uint32_t length, uint8_t* out, uint32_t room) override {
    rooms.push_back(room);
    lengths.push_back(length);
    const uint32_t n = length * 2 < room ? length * 2 : room;
    for (uint32_t i = 0; i < n; ++i) out[i] = input[i / 2];
    return n;
  }
  std::vector<uint32_t> rooms, lengths;
};

// A ring with a 300 ms threshold, as the sound manager has it.
class RingSink : public AudioSink {
 public:
  explicit RingSink(uint32_t blocks = 40) { ring.Allocate(blocks, kBlock); }
  bool CanTakeBlocks() const override { return output && !ring.FeedFull(); }
  uint32_t BufferedMs() const override { return engine::BufferedMs(kBlock, ring.filled()); }
  uint32_t ThresholdMs() const override { return 300; }
  uint32_t BlockBytes() const override { return kBlock; }
  void PushBlock(const uint8_t* pcm, uint32_t length, uint32_t timestamp) override {
    ASSERT_EQ(length, kBlock);
    ring.Push(pcm, timestamp);
  }
  AudioRing ring;
  bool output = true;
};

struct FeedTest : ::testing::Test {
  void PushFrame(const Bytes& box, uint32_t timestamp) {
    backup::FrameRecord r{};
    r.stream_kind = backup::kAudioStream1;
    r.frame_kind = backup::kAudioFrame;
    r.timestamp = timestamp;
    ASSERT_TRUE(queue->Push(&r, box.data(), static_cast<uint32_t>(box.size())));
  }
  // Audio frames k = 0.. of one byte value each, 3,240 ticks apart.
  void PushFrames(int count, uint16_t stream = 1) {
    for (int i = 0; i < count; ++i, ++next) PushFrame(Box(stream, Bytes(kFrame, static_cast<uint8_t>(next))), next * 3240u);
  }
  std::unique_ptr<PacketQueue> queue = std::make_unique<PacketQueue>();
  DoublingDecoder decoder;
  RingSink sink;
  AudioFeed feed{decoder};
  uint32_t next = 0;
};

TEST_F(FeedTest, FillsToTheThresholdThenTakesOneFramePerStep) {
  PushFrames(20);
  feed.Feed(*queue, sink);
  EXPECT_EQ(sink.ring.filled(), 5u) << "4 blocks are 288 ms, 5 reach 300";
  EXPECT_EQ(queue->EntryCount(), 10u);
  feed.Feed(*queue, sink);
  EXPECT_EQ(queue->EntryCount(), 9u);
  EXPECT_EQ(feed.fill(), 2304u);
  feed.Feed(*queue, sink);
  EXPECT_EQ(sink.ring.filled(), 6u);

  // Each block carries the timestamp of the frame that completed it, and
  // the sound of both its frames.
  std::vector<uint8_t> out(kBlock);
  EXPECT_EQ(sink.ring.OldestTime(), 3240u);
  sink.ring.TakeOldest(out.data());
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[kBlock - 1], 1);
  EXPECT_EQ(sink.ring.OldestTime(), 3 * 3240u);
}

TEST_F(FeedTest, StopsWhenTheQueueRunsDry) {
  PushFrames(3);
  feed.Feed(*queue, sink);
  EXPECT_EQ(queue->EntryCount(), 0u);
  EXPECT_EQ(sink.ring.filled(), 1u);
  EXPECT_EQ(feed.fill(), 2304u);
}

TEST_F(FeedTest, DoesNothingWithoutAnOutputOrWithAFullRing) {
  PushFrames(4);
  sink.output = false;
  feed.Feed(*queue, sink);
  EXPECT_EQ(queue->EntryCount(), 4u);

  RingSink small(3);  // the feed leaves the last slot free
  feed.Feed(*queue, small);
  EXPECT_EQ(small.ring.filled(), 2u);
  EXPECT_EQ(queue->EntryCount(), 0u);
  PushFrames(2);
  feed.Feed(*queue, small);
  EXPECT_EQ(queue->EntryCount(), 2u);
}

TEST_F(FeedTest, GivesTheDecoderOnlyTheRoomLeftInTheAccumulator) {
  PushFrames(2);
  feed.Feed(*queue, sink);
  ASSERT_EQ(decoder.rooms.size(), 2u);
  EXPECT_EQ(decoder.rooms[0], 163840u);
  EXPECT_EQ(decoder.rooms[1], 163840u - 2304);
}

TEST_F(FeedTest, SkipsAFrameWhosePayloadExceedsTheInputBuffer) {
  PushFrame(Box(1, Bytes(AudioFeed::kInputBytes + 1, 0x55)), 1);
  PushFrame(Box(1, Bytes(AudioFeed::kInputBytes, 0x66)), 2);  // fits exactly
  EXPECT_TRUE(feed.DecodeOne(*queue, sink));
  EXPECT_TRUE(decoder.lengths.empty());
  EXPECT_TRUE(feed.DecodeOne(*queue, sink));
  EXPECT_EQ(decoder.lengths, std::vector<uint32_t>{AudioFeed::kInputBytes});
  EXPECT_FALSE(feed.DecodeOne(*queue, sink));
}

TEST_F(FeedTest, DiscardsSoundThatOvershootsABlock) {
  PushFrame(Box(1, Bytes(2000, 1)), 1);  // 4,000 PCM bytes
  PushFrame(Box(1, Bytes(500, 2)), 2);   // 5,000: all discarded
  PushFrames(2);
  feed.Feed(*queue, sink);
  EXPECT_EQ(sink.ring.filled(), 1u);
  std::vector<uint8_t> out(kBlock);
  sink.ring.TakeOldest(out.data());
  EXPECT_EQ(out[0], 0) << "the block holds only the frames after the discard";
}

TEST_F(FeedTest, DecodesEveryAudioStreamAndSkipsOtherBoxes) {
  PushFrames(1, 6);
  PushFrame(Box(2, Bytes(40, 9)), 5);  // a video box in the audio queue gives nothing
  PushFrames(1, 1);
  feed.Feed(*queue, sink);
  EXPECT_EQ(decoder.lengths, (std::vector<uint32_t>{kFrame, kFrame}));
  EXPECT_EQ(sink.ring.filled(), 1u);
}

}  // namespace
}  // namespace engine
