// Two slots of up to 30 decoded pictures each: the decode stage fills the
// write slot with one group of pictures and closes it; the display side shows
// a closed (ready) slot forwards or backwards and recycles it. All picture
// memory is allocated once.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "capture_time.h"
#include "picture_format.h"

namespace engine {

struct PictureEntry {
  uint32_t timestamp;       // 90 kHz ticks
  backup::CaptureTime capture_time;
  uint32_t frame_rate;
  int32_t key;              // the picture of a key frame
  BitmapInfo bitmap_info;   // height negative: rows top first
  uint8_t* pixels;          // kPictureBytes
};

// Written by the decode stage, read by the display side. A slot's entries
// are touched by the display side only while `ready` is set; `ready` is the
// hand-over in both directions.
struct PictureSlot {
  static constexpr int kPictures = 30;
  PictureEntry entries[kPictures];
  std::atomic<int32_t> write_index{0}, read_index{0};
  std::atomic<int32_t> written{0};  // pictures stored since recycling; the backward read position
  std::atomic<int32_t> count{0};    // pictures not yet shown
  std::atomic<int32_t> ready{0};

  void Clear();
};

class PictureSlots {
 public:
  PictureSlots();

  PictureSlot& Slot(int index) { return slots_[index]; }
  PictureSlot& WriteSlot() { return slots_[write_slot_.load()]; }
  PictureSlot& ReadSlot() { return slots_[read_slot_.load()]; }
  int WriteSlotIndex() const { return write_slot_.load(); }
  int ReadSlotIndex() const { return read_slot_.load(); }
  void SetWriteSlot(int index) { write_slot_.store(index); }

  // Decode side.
  // Closes the write slot and makes the other one the write slot; the read
  // slot follows when it was the new write slot.
  void CloseWriteSlot();

  // Display side.
  bool ReadReady() { return ReadSlot().ready.load() != 0; }
  PictureEntry& Forward() { return ReadSlot().entries[ReadSlot().read_index.load()]; }
  PictureEntry& Backward();
  void AdvanceForward();
  void AdvanceBackward();
  void Recycle();  // clears the read slot and moves to the other
  void Switch() { read_slot_.store(1 - read_slot_.load()); }

  // Both slots empty, both indices 0.
  void Reset();

 private:
  std::unique_ptr<uint8_t[]> memory_;
  PictureSlot slots_[2];
  std::atomic<int> write_slot_{0}, read_slot_{0};
};

}  // namespace engine
