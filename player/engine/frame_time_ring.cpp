#include "frame_time_ring.h"

namespace engine {

void FrameTimeRing::Reset() {
  std::lock_guard<std::mutex> hold(lock_);
  read_ = write_ = 0;
  current_second_ = {};
  current_rate_ = 0;
  limit_ = 0;
  in_second_ = 0;
  non_key_ = 0;
  waiting_for_key_ = true;
}

void FrameTimeRing::Store(const FrameTimeEntry& entry) {
  entries_[write_] = entry;
  write_ = (write_ + 1) % kEntries;
}

bool FrameTimeRing::Stamp(const backup::CaptureTime& header_time, uint32_t frame_rate, bool key, uint32_t timestamp) {
  std::lock_guard<std::mutex> hold(lock_);
  if (waiting_for_key_ && !key) return false;
  const int64_t t0 = backup::CalendarSeconds(current_second_);
  const int64_t t = backup::CalendarSeconds(header_time);
  if (waiting_for_key_ || (key && (frame_rate != current_rate_ || limit_ != kLimit || t != t0))) {
    Store({1, header_time, timestamp, frame_rate, 0});
    current_second_ = header_time;
    current_rate_ = frame_rate;
    limit_ = kLimit;
    in_second_ = 0;
    non_key_ = 0;
    waiting_for_key_ = false;
    return true;
  }
  if (!key && (frame_rate != current_rate_ || limit_ != kLimit)) {
    waiting_for_key_ = true;
    return false;
  }
  ++in_second_;
  non_key_ = key ? 0 : non_key_ + 1;
  if (non_key_ >= limit_) {
    waiting_for_key_ = true;
    return false;
  }
  if (in_second_ == frame_rate) {
    in_second_ = 0;
    current_second_ = backup::FromCalendarSeconds(t0 + 1);
  }
  Store({key ? 1 : 0, current_second_, timestamp, frame_rate, in_second_});
  waiting_for_key_ = false;
  return true;
}

bool FrameTimeRing::Take(FrameTimeEntry& entry) {
  std::lock_guard<std::mutex> hold(lock_);
  if (read_ == write_) return false;
  entry = entries_[read_];
  read_ = (read_ + 1) % kEntries;
  return true;
}

}  // namespace engine
