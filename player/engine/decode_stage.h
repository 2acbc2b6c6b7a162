// The decode stage: takes video frames from the video queue, converts them
// to start-code form, stamps their capture time, decodes them and stores the
// pictures in the picture slots, one group of pictures per slot.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "codec_params.h"
#include "frame_record.h"
#include "frame_time_ring.h"
#include "packet_queue.h"
#include "parameter_sets.h"
#include "picture_slots.h"
#include "worker_command.h"

namespace engine {

// The video decoder as the stage sees it.
class VideoDecoder {
 public:
  // Result > 0 on success; a failure or a fault inside the decoder is <= 0.
  virtual int Decode(DecodeFrameParams& params) = 0;
  virtual void ClearMemory() = 0;
  // True when pictures arrive through DecodeStage::StorePicture from the
  // decoder itself rather than in params after Decode.
  virtual bool CallsBack() const = 0;

 protected:
  ~VideoDecoder() = default;
};

class DecodeStage {
 public:
  static constexpr uint32_t kFrameBufferBytes = 1 << 20;
  static constexpr uint32_t kDecoderInputBytes = 2 << 20;

  DecodeStage(PacketQueue& video_queue, PacketQueue& audio_queue, PictureSlots& slots, SharedParameterSets& sets);

  void SetDecoder(VideoDecoder* decoder) { decoder_ = decoder; }

  // One step of the decompress worker: the next frame is decoded; with
  // key frames only (the fast modes) any other frame is dropped.
  void DecodeStep(DecodeScope scope);
  // Stores the picture of a decoded frame; returns 0.
  int StorePicture(const DecodeFrameParams& block);

  void CloseWriteSlot() { slots_.CloseWriteSlot(); }
  void ResetSlots();     // both slots empty
  // Both queues emptied, pending key frame dropped and both slots emptied;
  // for a seek, a ready read slot (the group on screen) stays. Only while
  // the decompress and display workers are parked.
  void ResetPipeline(bool keep_shown = false);
  void DropPending() { pending_.store(false); }
  bool HasPending() const { return pending_.load(); }
  void ResetFrameTimes() { ring_.Reset(); }
  // Ends a wait for a free slot and drops every picture whose decode began
  // before: the worker is stopping, or the position or direction changed.
  void Invalidate() { generation_.fetch_add(1); }

 private:
  void Decode(const backup::FrameRecord& record, uint32_t generation);
  bool MoveToFreeSlot(uint32_t generation);

  PacketQueue& video_queue_;
  PacketQueue& audio_queue_;
  PictureSlots& slots_;
  SharedParameterSets& sets_;
  VideoDecoder* decoder_ = nullptr;
  FrameTimeRing ring_;

  // Decompress worker only.
  std::unique_ptr<uint8_t[]> frame_, input_, output_;
  BitmapInfoHeader bitmap_header_{};
  backup::FrameRecord pending_record_{};

  std::atomic<bool> pending_{false};           // cleared by resets from other threads
  std::atomic<uint32_t> generation_{0};        // advanced by Invalidate and the resets
  std::atomic<uint32_t> decode_generation_{0}; // generation when the current step began, before its pop
};

}  // namespace engine
