#include "pcm_accumulator.h"

namespace engine {

PcmAccumulator::Result PcmAccumulator::Commit(uint32_t produced, uint32_t block_bytes) {
  if (produced > Room()) {
    fill_ = 0;
    return kDiscarded;
  }
  fill_ += produced;
  if (fill_ == block_bytes) {
    fill_ = 0;
    return kBlockFull;
  }
  if (fill_ > block_bytes) {
    fill_ = 0;
    return kDiscarded;
  }
  return kPartial;
}

}  // namespace engine
