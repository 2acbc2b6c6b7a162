// A readable file with a 32-bit byte position: the interface that the
// backup-file walks use. FileIO implements it on the Win32 file API;
// MemorySource over bytes in memory.
#pragma once
#include <cstdint>

namespace backup {

enum SeekOrigin : int { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes delivered (fewer at the end, 0 on failure); the position advances by them.
  virtual uint32_t Read(uint32_t count, void* buffer) = 0;
  // 0 start, 2 end, anything else the current position. Fails, leaving the
  // position, when the target lies before the start or past the end.
  virtual int Seek(int32_t distance, int origin) = 0;
  virtual uint32_t Position() const = 0;
};

// The Seek rule both sources share: the new position, or -1 when it falls
// outside 0 .. size.
int64_t SeekTarget(uint32_t position, uint32_t size, int32_t distance, int origin);

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}
  uint32_t Read(uint32_t count, void* buffer) override;
  int Seek(int32_t distance, int origin) override;
  uint32_t Position() const override { return position_; }

 private:
  const uint8_t* data_;
  uint32_t size_;
  uint32_t position_ = 0;
};

}  // namespace backup
