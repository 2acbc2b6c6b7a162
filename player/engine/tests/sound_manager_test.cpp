#include "sound_manager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace engine {
namespace {

constexpr uint32_t kBlock = 4608;

std::unique_ptr<CSoundManager> ReadyManager(uint32_t ring_blocks = 40) {
  auto sound = std::make_unique<CSoundManager>();
  sound->Configure(ring_blocks, kBlock, 300, 30000, nullptr);
  EXPECT_EQ(sound->Init(), 1) << "needs a DirectSound device (the session's null sink)";
  return sound;
}

void PushBlocks(CSoundManager& sound, int count, uint32_t timestamp) {
  const std::vector<uint8_t> pcm(kBlock, 0);
  for (int i = 0; i < count; ++i) sound.PushBlock(pcm.data(), kBlock, timestamp);
}

// Waits (up to 5 s) until the refill thread has filled `more` output blocks.
bool WaitForRefills(const CSoundManager& sound, uint32_t more) {
  const uint32_t target = sound.counts().refills + more;
  for (int i = 0; i < 500; ++i) {
    if (sound.counts().refills >= target) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(SoundManager, StartsMutedAndUnmutesToTheVolumeFoundAtInit) {
  auto sound = ReadyManager();
  EXPECT_TRUE(sound->muted());
  EXPECT_EQ(sound->OutputVolume(), CSoundManager::kSilentVolume);
  sound->SetMuted(false);
  sound->ApplyMute();
  EXPECT_EQ(sound->OutputVolume(), DSBVOLUME_MAX);
  sound->SetMuted(true);
  sound->ApplyMute();
  EXPECT_EQ(sound->OutputVolume(), CSoundManager::kSilentVolume);
}

TEST(SoundManager, InitRefusesAnEmptyRingShape) {
  CSoundManager sound;
  sound.Configure(0, kBlock, 300, 30000, nullptr);
  EXPECT_EQ(sound.Init(), 0);
  sound.Configure(40, 0, 300, 30000, nullptr);
  EXPECT_EQ(sound.Init(), 0);
  EXPECT_FALSE(sound.CanTakeBlocks());
}

TEST(SoundManager, OutputStartsOnlyOnce300MsAreBuffered) {
  auto sound = ReadyManager();
  PushBlocks(*sound, 4, 0);
  EXPECT_EQ(sound->BufferedMs(), 288u);
  sound->StartIfReady();
  EXPECT_FALSE(sound->playing());
  PushBlocks(*sound, 1, 0);
  sound->StartIfReady();
  EXPECT_TRUE(sound->playing());
  EXPECT_EQ(sound->filled(), 3u) << "the two oldest blocks open the output";

  sound->Stop();
  EXPECT_FALSE(sound->playing());
  EXPECT_EQ(sound->filled(), 3u);
  sound->StopAndEmpty();
  EXPECT_EQ(sound->filled(), 0u);
}

TEST(SoundManager, HoldsEarlyBlocksBackAndDropsLateOnes) {
  auto sound = ReadyManager();
  sound->SetVideoTime(100000);
  PushBlocks(*sound, 5, 140000);  // 40,000 ticks ahead of the picture
  sound->StartIfReady();
  ASSERT_TRUE(sound->playing());
  ASSERT_TRUE(WaitForRefills(*sound, 3));
  RefillCounts c = sound->counts();
  EXPECT_EQ(c.played, 0u);
  EXPECT_GE(c.silent, 3u);
  EXPECT_EQ(sound->filled(), 3u) << "early blocks wait in the ring";

  sound->SetVideoTime(180000);  // now they are 40,000 behind
  EXPECT_EQ(sound->previous_video_time(), 100000u);
  ASSERT_TRUE(WaitForRefills(*sound, 2));  // one refill may have begun before the change
  c = sound->counts();
  EXPECT_EQ(c.dropped, 3u);
  EXPECT_EQ(c.played, 0u);
  EXPECT_EQ(sound->filled(), 0u);

  PushBlocks(*sound, 2, 170000);  // within the window
  ASSERT_TRUE(WaitForRefills(*sound, 3));
  EXPECT_EQ(sound->counts().played, 2u);
  EXPECT_EQ(sound->counts().dropped, 3u);
}

TEST(SoundManager, AfterReleaseNothingIsKeptOrPlayed) {
  auto sound = ReadyManager();
  PushBlocks(*sound, 6, 0);
  sound->StartIfReady();
  ASSERT_TRUE(sound->playing());
  sound->Release();
  EXPECT_FALSE(sound->playing());
  EXPECT_FALSE(sound->CanTakeBlocks());
  PushBlocks(*sound, 6, 0);
  EXPECT_EQ(sound->filled(), 0u);
  sound->StartIfReady();
  EXPECT_FALSE(sound->playing());
  EXPECT_EQ(sound->Init(), 1) << "a released output can be made again";
}

}  // namespace
}  // namespace engine
