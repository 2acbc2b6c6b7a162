// Decoded sound waiting to play: a ring of fixed-size PCM blocks, each with
// the timestamp of the frame that completed it, and the rules that keep the
// sound near the picture. Allocated once; pushing and refilling copy whole
// blocks. Not locked here: the sound manager holds its lock around it.
#pragma once
#include <cstdint>
#include <memory>

namespace engine {

constexpr uint32_t kPcmBytesPerSecond = 64000;  // 16-bit mono at 32,000 samples/s

// Milliseconds of sound in `blocks` blocks of `block_bytes`, truncated.
uint32_t BufferedMs(uint32_t block_bytes, uint32_t blocks, uint32_t bytes_per_second = kPcmBytesPerSecond);

// The output starts once `blocks` blocks hold at least threshold_ms of sound.
bool EnoughToStart(uint32_t block_bytes, uint32_t blocks, uint32_t threshold_ms);

enum class SyncAction { kPlay, kSilence, kDrop };

// A block stamped `block_time` while the picture stamped `video_time` is
// shown (90 kHz ticks): more than `window` ahead is held back (silence),
// more than `window` behind is dropped, anything else plays. Differences
// are taken modulo 2^32, so a clock that wraps is not a jump.
SyncAction SyncBlock(uint32_t block_time, uint32_t video_time, uint32_t window);

struct RefillResult {
  bool played;       // a ring block went out; otherwise silence
  uint32_t dropped;  // late blocks thrown away first
};

class AudioRing {
 public:
  // Makes room for `blocks` blocks of `block_bytes`; false (and no ring)
  // when either is 0.
  bool Allocate(uint32_t blocks, uint32_t block_bytes);
  void Free();

  // Copies block_bytes() from pcm; a full ring loses its oldest block first.
  void Push(const uint8_t* pcm, uint32_t timestamp);
  // Copies the oldest block to `out` (block_bytes()) and takes it off.
  void TakeOldest(uint8_t* out);
  void DropOldest();
  void Clear();

  // One output block's worth: drops blocks too late for the picture, then
  // copies the oldest if it is due, or writes silence (the oldest stays
  // when it is too early).
  RefillResult Refill(uint8_t* out, uint32_t video_time, uint32_t window);

  uint32_t filled() const { return filled_; }
  uint32_t size() const { return size_; }
  uint32_t block_bytes() const { return block_bytes_; }
  bool Full() const { return filled_ == size_; }
  // The feed stops one block short of full.
  bool FeedFull() const { return filled_ + 1 >= size_; }
  uint32_t OldestTime() const { return times_[read_]; }

 private:
  std::unique_ptr<uint8_t[]> blocks_;
  std::unique_ptr<uint32_t[]> times_;
  uint32_t size_ = 0, block_bytes_ = 0;
  uint32_t read_ = 0, write_ = 0, filled_ = 0;
};

}  // namespace engine
