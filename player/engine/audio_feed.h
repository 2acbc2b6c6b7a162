// The display worker's audio feed: pops audio frames from the audio packet
// queue, extracts their payloads, decodes them and hands whole PCM blocks to
// the sound output. Owns the input side's buffers; used by one thread.
#pragma once
#include <cstdint>
#include <memory>

#include "packet_queue.h"
#include "pcm_accumulator.h"

namespace engine {

// The audio decoder as the feed sees it.
class AudioDecoder {
 public:
  virtual ~AudioDecoder() = default;
  // Decodes `length` bytes to 16-bit PCM at out, writing at most `room`
  // bytes; returns the bytes written.
  virtual uint32_t Decode(const uint8_t* input, uint32_t length, uint8_t* out, uint32_t room) = 0;
};

// The sound output as the feed sees it.
class AudioSink {
 public:
  virtual ~AudioSink() = default;
  virtual bool CanTakeBlocks() const = 0;  // an output exists and the ring is not full
  virtual uint32_t BufferedMs() const = 0;
  virtual uint32_t ThresholdMs() const = 0;
  virtual uint32_t BlockBytes() const = 0;
  virtual void PushBlock(const uint8_t* pcm, uint32_t length, uint32_t timestamp) = 0;
};

class AudioFeed {
 public:
  // A popped frame; frames come from segment payloads, which are at most 1 MiB.
  static constexpr uint32_t kFrameBytes = 1 << 20;
  static constexpr uint32_t kInputBytes = 256 * 1024;  // payload bytes for the decoder

  explicit AudioFeed(AudioDecoder& decoder);

  // Below the sink's threshold: decodes frames until it is reached (or the
  // queue, the output or the ring gives out). At or above it: one frame.
  void Feed(PacketQueue& queue, AudioSink& sink);
  // Pops and decodes one frame; false when the queue gave none.
  bool DecodeOne(PacketQueue& queue, AudioSink& sink);
  // Forgets a partly collected block.
  void Reset() { accumulator_.Reset(); }

  uint32_t fill() const { return accumulator_.fill(); }

 private:
  AudioDecoder& decoder_;
  std::unique_ptr<uint8_t[]> frame_, input_;
  PcmAccumulator accumulator_;
};

}  // namespace engine
