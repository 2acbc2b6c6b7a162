#include "byte_source.h"

#include <cstring>

namespace backup {

int64_t SeekTarget(uint32_t position, uint32_t size, int32_t distance, int origin) {
  const int64_t base = origin == kFromStart ? 0 : origin == kFromEnd ? size : position;
  const int64_t target = base + distance;
  return target < 0 || target > size ? -1 : target;
}

uint32_t MemorySource::Read(uint32_t count, void* buffer) {
  const uint32_t n = count < size_ - position_ ? count : size_ - position_;
  if (!buffer || n == 0) return 0;
  std::memcpy(buffer, data_ + position_, n);
  position_ += n;
  return n;
}

int MemorySource::Seek(int32_t distance, int origin) {
  const int64_t target = SeekTarget(position_, size_, distance, origin);
  if (target < 0) return 0;
  position_ = static_cast<uint32_t>(target);
  return 1;
}

}  // namespace backup
