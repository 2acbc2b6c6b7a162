// Capture times of frames on their way through the decoder. A frame is
// stamped before it is decoded; each picture the decoder delivers takes the
// oldest stamp. Anchored at key frames: a key frame may be followed by at
// most nine non-key frames, and the time advances one second every F
// pictures of a frame rate F.
#pragma once
#include <cstdint>
#include <mutex>

#include "capture_time.h"

namespace engine {

struct FrameTimeEntry {
  int32_t key;
  backup::CaptureTime time;
  uint32_t timestamp;   // 90 kHz ticks
  uint32_t frame_rate;
  uint32_t in_second;  // pictures stamped before it in its second
};

class FrameTimeRing {
 public:
  static constexpr int kEntries = 30;
  static constexpr int kLimit = 10;  // pictures from a key frame to the next

  FrameTimeRing() { Reset(); }
  // Forgets every stamp and waits for a key frame.
  void Reset();
  // Stamps a frame whose segment header says `header_time`; false when it is refused.
  bool Stamp(const backup::CaptureTime& header_time, uint32_t frame_rate, bool key, uint32_t timestamp);
  // The oldest stamp; false when there is none.
  bool Take(FrameTimeEntry& entry);

 private:
  void Store(const FrameTimeEntry& entry);

  std::mutex lock_;  // guards everything below
  backup::CaptureTime current_second_;
  uint32_t current_rate_;
  int limit_;
  uint32_t in_second_;  // pictures counted in the current second
  int non_key_;         // non-key frames since the last key frame
  bool waiting_for_key_;
  int read_, write_;
  FrameTimeEntry entries_[kEntries];
};

}  // namespace engine
