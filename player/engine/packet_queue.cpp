#include "packet_queue.h"

#include <chrono>
#include <cstring>

namespace engine {

PacketQueue::PacketQueue() : ring_(new uint8_t[kCapacity]) {}

bool PacketQueue::Lock() {
  for (int i = 0; i < kLockTries; ++i) {
    if (lock_.try_lock_for(std::chrono::milliseconds(kLockWaitMs))) return true;
  }
  return false;
}

void PacketQueue::CopyIn(const void* from, uint32_t n) {
  const uint32_t first = n < kCapacity - write_ ? n : kCapacity - write_;
  std::memcpy(&ring_[write_], from, first);
  std::memcpy(&ring_[0], static_cast<const uint8_t*>(from) + first, n - first);
  write_ = (write_ + n) % kCapacity;
}

void PacketQueue::CopyOut(void* to, uint32_t n) {
  const uint32_t first = n < kCapacity - read_ ? n : kCapacity - read_;
  std::memcpy(to, &ring_[read_], first);
  std::memcpy(static_cast<uint8_t*>(to) + first, &ring_[0], n - first);
  read_ = (read_ + n) % kCapacity;
}

bool PacketQueue::Push(const backup::FrameRecord* record, const uint8_t* data, uint32_t length) {
  if (!record || !data || length == 0) return false;
  if (!Lock()) return false;
  std::lock_guard<std::timed_mutex> hold(lock_, std::adopt_lock);
  const uint32_t free = kCapacity - used_;
  if (free < sizeof(backup::FrameRecord) || length > free - sizeof(backup::FrameRecord)) return false;
  backup::FrameRecord stored = *record;
  stored.data_length = length;
  CopyIn(&stored, sizeof stored);
  CopyIn(data, length);
  used_ += sizeof stored + length;
  entries_.fetch_add(1);
  return true;
}

bool PacketQueue::Pop(backup::FrameRecord* record, uint8_t* data) {
  if (!record || !data || entries_.load() == 0) return false;
  if (!Lock()) return false;
  std::lock_guard<std::timed_mutex> hold(lock_, std::adopt_lock);
  if (used_ == 0) return false;
  CopyOut(record, sizeof *record);
  CopyOut(data, record->data_length);
  used_ -= sizeof *record + record->data_length;
  entries_.fetch_sub(1);
  return true;
}

void PacketQueue::Empty() {
  const bool locked = Lock();  // a lock that cannot be had is not waited on forever
  read_ = write_ = used_ = 0;
  entries_.store(0);
  if (locked) lock_.unlock();
}

uint32_t PacketQueue::UsedBytes() const {
  std::lock_guard<std::timed_mutex> hold(lock_);
  return used_;
}

}  // namespace engine
