#include "decode_stage.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "qbox_job.h"

namespace engine {

DecodeStage::DecodeStage(PacketQueue& video_queue, PacketQueue& audio_queue, PictureSlots& slots,
                         SharedParameterSets& sets)
    : video_queue_(video_queue),
      audio_queue_(audio_queue),
      slots_(slots),
      sets_(sets),
      frame_(new uint8_t[kFrameBufferBytes]),
      input_(new uint8_t[kDecoderInputBytes]),
      output_(new uint8_t[kPictureBytes]) {}

void DecodeStage::DecodeStep(DecodeScope scope) {
  if (slots_.WriteSlot().ready.load()) return;  // not shown yet
  // Taken before the pop: a frame popped before a reset is stale.
  const uint32_t generation = generation_.load();
  backup::FrameRecord record;
  if (pending_.exchange(false)) {
    record = pending_record_;
  } else {
    if (!video_queue_.Pop(&record, frame_.get())) return;
    const bool key = record.frame_kind == backup::kKeyFrame;
    if (key && slots_.WriteSlot().count.load() > 0) {
      pending_record_ = record;  // its data stays in the frame buffer
      pending_.store(generation_.load() == generation);  // unless a reset came after the pop
      return;
    }
    if (scope == DecodeScope::kKeyFramesOnly && !key) return;
  }
  Decode(record, generation);
}

void DecodeStage::Decode(const backup::FrameRecord& record, uint32_t generation) {
  const bool key = record.frame_kind == backup::kKeyFrame;
  QBoxJob job{sizeof(QBoxJob), record.data_length, 0, 0, frame_.get(), input_.get(), nullptr,
              kDecoderInputBytes, 0};
  const uint32_t length = sets_.With([&](const backup::ParameterSetStore& sets) { return RunQBoxJob(job, sets, key); });
  if (length == 0 || !decoder_) return;

  const backup::CaptureTime time = backup::TimeFromWords(record.date_word, record.time_word);
  if (!ring_.Stamp(time, record.frame_rate, key, record.timestamp)) {
    ring_.Reset();
    return;
  }
  DecodeFrameParams params{sizeof(DecodeFrameParams), length, input_.get(), kPictureBytes, 0, 0,
                           output_.get(), &bitmap_header_, 0};
  decode_generation_.store(generation);
  if (decoder_->Decode(params) <= 0) {
    decoder_->ClearMemory();
    ring_.Reset();
    return;
  }
  if (!decoder_->CallsBack()) StorePicture(params);
}

bool DecodeStage::MoveToFreeSlot(uint32_t generation) {
  slots_.WriteSlot().ready.store(1);
  const int candidate = 1 - slots_.WriteSlotIndex();
  PictureSlot& next = slots_.Slot(candidate);
  // The display side hands the slot over by recycling it.
  while (next.count.load() > 0 || next.ready.load()) {
    if (generation_.load() != generation) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  slots_.SetWriteSlot(candidate);
  return true;
}

int DecodeStage::StorePicture(const DecodeFrameParams& block) {
  FrameTimeEntry stamp;
  if (!ring_.Take(stamp)) return 0;
  const uint32_t generation = decode_generation_.load();
  if (generation_.load() != generation) return 0;  // begun before a reset or seek
  if (!block.output || block.width <= 0 || block.width > kMaxPictureWidth || block.height <= 0 ||
      block.height > kMaxPictureHeight)
    return 0;

  const int32_t held = slots_.WriteSlot().count.load();
  if ((stamp.key && held > 0) || held >= PictureSlot::kPictures) {
    if (!MoveToFreeSlot(generation)) return 0;
  }
  PictureSlot& slot = slots_.WriteSlot();
  PictureEntry& entry = slot.entries[slot.write_index.load()];
  std::memcpy(entry.pixels, block.output, kPictureBytes);
  entry.bitmap_info.header = TopDownHeader(block.width, block.height);
  std::memset(entry.bitmap_info.colour, 128, 3);
  entry.bitmap_info.colour[3] = 0;
  entry.capture_time = stamp.time;
  entry.timestamp = stamp.timestamp;
  entry.frame_rate = stamp.frame_rate;
  entry.key = stamp.key;
  slot.write_index.store((slot.write_index.load() + 1) % PictureSlot::kPictures);
  slot.written.fetch_add(1);
  slot.count.fetch_add(1);
  return 0;
}

void DecodeStage::ResetSlots() {
  Invalidate();
  slots_.Reset();
}

void DecodeStage::ResetPipeline(bool keep_shown) {
  video_queue_.Empty();
  audio_queue_.Empty();
  DropPending();
  const int shown = slots_.ReadSlotIndex();
  if (!keep_shown || !slots_.Slot(shown).ready.load()) {  // a slot being filled is not on screen yet
    ResetSlots();
    return;
  }
  Invalidate();
  slots_.Slot(1 - shown).Clear();
}

}  // namespace engine
