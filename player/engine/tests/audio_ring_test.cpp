#include "audio_ring.h"

#include <gtest/gtest.h>

#include <vector>

#include "pcm_accumulator.h"

namespace engine {
namespace {

constexpr uint32_t kBlock = 4608;
constexpr uint32_t kWindow = 30000;

std::vector<uint8_t> Block(uint8_t value, uint32_t bytes = kBlock) { return std::vector<uint8_t>(bytes, value); }

TEST(AudioRing, BufferedMillisecondsDecideWhenOutputStarts) {
  struct Case {
    uint32_t blocks, ms;
    bool starts;  // at a 300 ms threshold
  } cases[] = {{0, 0, false}, {1, 72, false}, {4, 288, false}, {5, 360, true}, {40, 2880, true}};
  for (const Case& c : cases) {
    const uint32_t ms = BufferedMs(kBlock, c.blocks);
    EXPECT_EQ(ms, c.ms) << c.blocks << " blocks";
    EXPECT_EQ(EnoughToStart(kBlock, c.blocks, 300), c.starts) << c.blocks << " blocks";
  }
  EXPECT_EQ(BufferedMs(1000, 1), 15u) << "15.6 ms truncates";
}

TEST(AudioRing, SyncKeepsBlocksWithinTheWindowOfThePicture) {
  struct Case {
    uint32_t block, video;
    SyncAction action;
  } cases[] = {
      {140000, 100000, SyncAction::kSilence},  // 40,000 ahead: held back
      {60000, 100000, SyncAction::kDrop},      // 40,000 behind
      {130000, 100000, SyncAction::kPlay},     // the window's edges play
      {130001, 100000, SyncAction::kSilence},
      {70000, 100000, SyncAction::kPlay},
      {69999, 100000, SyncAction::kDrop},
      {100000, 100000, SyncAction::kPlay},
      {0x100, 0xFFFFF000, SyncAction::kPlay},  // the clock wrapped between them
      {0xFFFFF000, 0x100, SyncAction::kPlay},
      {0x8000, 0xFFFF0000, SyncAction::kSilence},
      {0xFFFF0000, 0x8000, SyncAction::kDrop},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SyncBlock(c.block, c.video, kWindow), c.action) << c.block << " against " << c.video;
  }
}

TEST(AudioRing, AFullRingLosesItsOldestBlock) {
  AudioRing ring;
  ASSERT_TRUE(ring.Allocate(3, kBlock));
  for (uint8_t i = 1; i <= 5; ++i) ring.Push(Block(i).data(), i * 1000u);
  EXPECT_EQ(ring.filled(), 3u);
  std::vector<uint8_t> out(kBlock);
  for (uint8_t expected = 3; expected <= 5; ++expected) {
    EXPECT_EQ(ring.OldestTime(), expected * 1000u);
    ring.TakeOldest(out.data());
    EXPECT_EQ(out, Block(expected));
  }
  EXPECT_EQ(ring.filled(), 0u);
}

TEST(AudioRing, FeedStopsOneBlockShortOfFull) {
  AudioRing ring;
  ASSERT_TRUE(ring.Allocate(3, 16));
  EXPECT_FALSE(ring.FeedFull());
  ring.Push(Block(1, 16).data(), 0);
  EXPECT_FALSE(ring.FeedFull());
  ring.Push(Block(2, 16).data(), 0);
  EXPECT_TRUE(ring.FeedFull());
  EXPECT_FALSE(ring.Full());
}

TEST(AudioRing, RefusesAnEmptyShape) {
  AudioRing ring;
  EXPECT_FALSE(ring.Allocate(0, kBlock));
  EXPECT_FALSE(ring.Allocate(40, 0));
  ring.Push(Block(1).data(), 0);  // no ring: nothing happens
  EXPECT_EQ(ring.filled(), 0u);
}

TEST(AudioRing, RefillDropsLateBlocksAndPlaysTheFirstOneDue) {
  AudioRing ring;
  ASSERT_TRUE(ring.Allocate(8, kBlock));
  ring.Push(Block(1).data(), 60000);   // 40,000 behind
  ring.Push(Block(2).data(), 65000);   // 35,000 behind
  ring.Push(Block(3).data(), 90000);   // due
  ring.Push(Block(4).data(), 140000);  // early, but the one before is due
  std::vector<uint8_t> out(kBlock, 0xEE);
  const RefillResult r = ring.Refill(out.data(), 100000, kWindow);
  EXPECT_TRUE(r.played);
  EXPECT_EQ(r.dropped, 2u);
  EXPECT_EQ(out, Block(3));
  EXPECT_EQ(ring.filled(), 1u);
}

TEST(AudioRing, RefillAnswersAnEarlyBlockWithSilenceAndKeepsIt) {
  AudioRing ring;
  ASSERT_TRUE(ring.Allocate(8, kBlock));
  ring.Push(Block(7).data(), 140000);  // 40,000 ahead
  std::vector<uint8_t> out(kBlock, 0xEE);
  RefillResult r = ring.Refill(out.data(), 100000, kWindow);
  EXPECT_FALSE(r.played);
  EXPECT_EQ(r.dropped, 0u);
  EXPECT_EQ(out, Block(0));
  EXPECT_EQ(ring.filled(), 1u);

  // The picture catches up: now it plays.
  r = ring.Refill(out.data(), 115000, kWindow);
  EXPECT_TRUE(r.played);
  EXPECT_EQ(out, Block(7));

  // An empty ring gives silence too.
  out.assign(kBlock, 0xEE);
  r = ring.Refill(out.data(), 115000, kWindow);
  EXPECT_FALSE(r.played);
  EXPECT_EQ(out, Block(0));
}

TEST(PcmAccumulator, KeepsExactBlocksAndDiscardsOvershoots) {
  struct Step {
    uint32_t produced;
    PcmAccumulator::Result result;
    uint32_t fill_after;
  };
  const std::vector<std::vector<Step>> runs = {
      {{2304, PcmAccumulator::kPartial, 2304}, {2304, PcmAccumulator::kBlockFull, 0}},
      {{4608, PcmAccumulator::kBlockFull, 0}},
      {{4000, PcmAccumulator::kPartial, 4000}, {1000, PcmAccumulator::kDiscarded, 0},
       {4608, PcmAccumulator::kBlockFull, 0}},
      {{0, PcmAccumulator::kPartial, 0}},
  };
  for (size_t i = 0; i < runs.size(); ++i) {
    PcmAccumulator acc;
    for (const Step& s : runs[i]) {
      EXPECT_EQ(acc.Commit(s.produced, kBlock), s.result) << "run " << i << ", " << s.produced << " bytes";
      EXPECT_EQ(acc.fill(), s.fill_after) << "run " << i;
    }
  }
}

TEST(PcmAccumulator, RoomShrinksWithTheFill) {
  PcmAccumulator acc;
  EXPECT_EQ(acc.Room(), 163840u);
  acc.Commit(4000, kBlock);
  EXPECT_EQ(acc.Room(), 163840u - 4000);
  EXPECT_EQ(acc.WriteAt(), acc.data() + 4000);
  // A decoder that claims more than the room it was given is not trusted.
  EXPECT_EQ(acc.Commit(acc.Room() + 1, kBlock), PcmAccumulator::kDiscarded);
  EXPECT_EQ(acc.fill(), 0u);
}

}  // namespace
}  // namespace engine
