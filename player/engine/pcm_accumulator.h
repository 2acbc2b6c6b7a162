// Collects decoded PCM until it makes exactly one ring block. The recorder's
// frames decode to whole blocks (two 1,152-sample frames per 4,608 bytes);
// sound that overshoots a block boundary is thrown away.
#pragma once
#include <cstdint>
#include <memory>

namespace engine {

class PcmAccumulator {
 public:
  static constexpr uint32_t kBytes = 163840;  // 160 KiB

  enum Result { kPartial, kBlockFull, kDiscarded };

  PcmAccumulator() : data_(new uint8_t[kBytes]) {}

  // Where the decoder writes next, and how much room is left there.
  uint8_t* WriteAt() { return data_.get() + fill_; }
  uint32_t Room() const { return kBytes - fill_; }

  // Counts `produced` bytes written at WriteAt(). Exactly a block: the
  // block is data() until the next write and the fill starts again. Past a
  // block (or past the room): everything is discarded.
  Result Commit(uint32_t produced, uint32_t block_bytes);

  const uint8_t* data() const { return data_.get(); }
  uint32_t fill() const { return fill_; }
  void Reset() { fill_ = 0; }

 private:
  std::unique_ptr<uint8_t[]> data_;
  uint32_t fill_ = 0;
};

}  // namespace engine
