// A byte ring of 4 MiB carrying frames (a FrameRecord, then the box) from
// the data-load worker to one consumer. Allocated once; Push and Pop copy
// bytes and allocate nothing.
#pragma once
#include <cstdint>
#include <atomic>
#include <memory>
#include <mutex>

#include "frame_record.h"

namespace engine {

class PacketQueue {
 public:
  static constexpr uint32_t kCapacity = 4 * 1024 * 1024;
  static constexpr int kLockTries = 10;
  static constexpr int kLockWaitMs = 100;

  PacketQueue();

  // Stores a record (its data length set to `length`) and `length` bytes of
  // data. Fails when either is missing, length is 0, the lock cannot be had,
  // or the ring lacks length + 40 bytes.
  bool Push(const backup::FrameRecord* record, const uint8_t* data, uint32_t length);
  // Takes the oldest frame; the data goes to `data`, which must hold it.
  bool Pop(backup::FrameRecord* record, uint8_t* data);
  // Forgets everything, under the lock, so a Push or Pop in progress
  // finishes first.
  void Empty();

  uint32_t EntryCount() const { return entries_.load(); }
  uint32_t UsedBytes() const;

 private:
  bool Lock();
  void CopyIn(const void* from, uint32_t n);
  void CopyOut(void* to, uint32_t n);

  std::unique_ptr<uint8_t[]> ring_;
  mutable std::timed_mutex lock_;
  uint32_t read_ = 0, write_ = 0, used_ = 0;  // guarded by lock_
  std::atomic<uint32_t> entries_{0};          // written under lock_, polled by the workers
};

}  // namespace engine
