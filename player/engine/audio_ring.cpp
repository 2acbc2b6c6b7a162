#include "audio_ring.h"

#include <cstring>

namespace engine {

uint32_t BufferedMs(uint32_t block_bytes, uint32_t blocks, uint32_t bytes_per_second) {
  if (bytes_per_second == 0) return 0;
  return static_cast<uint32_t>(uint64_t{block_bytes} * blocks * 1000 / bytes_per_second);
}

bool EnoughToStart(uint32_t block_bytes, uint32_t blocks, uint32_t threshold_ms) {
  return BufferedMs(block_bytes, blocks) >= threshold_ms;
}

SyncAction SyncBlock(uint32_t block_time, uint32_t video_time, uint32_t window) {
  const int32_t ahead = static_cast<int32_t>(block_time - video_time);
  if (ahead >= 0) return static_cast<uint32_t>(ahead) > window ? SyncAction::kSilence : SyncAction::kPlay;
  return video_time - block_time > window ? SyncAction::kDrop : SyncAction::kPlay;
}

bool AudioRing::Allocate(uint32_t blocks, uint32_t block_bytes) {
  Free();
  if (blocks == 0 || block_bytes == 0) return false;
  blocks_.reset(new uint8_t[uint64_t{blocks} * block_bytes]);
  times_.reset(new uint32_t[blocks]());
  size_ = blocks;
  block_bytes_ = block_bytes;
  return true;
}

void AudioRing::Free() {
  blocks_.reset();
  times_.reset();
  size_ = block_bytes_ = 0;
  Clear();
}

void AudioRing::Push(const uint8_t* pcm, uint32_t timestamp) {
  if (size_ == 0) return;
  if (Full()) DropOldest();
  std::memcpy(&blocks_[uint64_t{write_} * block_bytes_], pcm, block_bytes_);
  times_[write_] = timestamp;
  write_ = (write_ + 1) % size_;
  ++filled_;
}

void AudioRing::TakeOldest(uint8_t* out) {
  if (filled_ == 0) return;
  std::memcpy(out, &blocks_[uint64_t{read_} * block_bytes_], block_bytes_);
  DropOldest();
}

void AudioRing::DropOldest() {
  if (filled_ == 0) return;
  read_ = (read_ + 1) % size_;
  --filled_;
}

void AudioRing::Clear() { read_ = write_ = filled_ = 0; }

RefillResult AudioRing::Refill(uint8_t* out, uint32_t video_time, uint32_t window) {
  RefillResult result{false, 0};
  while (filled_ > 0) {
    const SyncAction action = SyncBlock(OldestTime(), video_time, window);
    if (action == SyncAction::kSilence) break;
    if (action == SyncAction::kPlay) {
      TakeOldest(out);
      result.played = true;
      return result;
    }
    DropOldest();
    ++result.dropped;
  }
  std::memset(out, 0, block_bytes_);
  return result;
}

}  // namespace engine
