#include "picture_slots.h"

namespace engine {

// `ready` goes last: a writer takes a slot that is neither ready nor holds
// pictures, and must then find its indices cleared.
void PictureSlot::Clear() {
  write_index.store(0);
  read_index.store(0);
  written.store(0);
  count.store(0);
  ready.store(0);
}

PictureSlots::PictureSlots() : memory_(new uint8_t[size_t{2} * PictureSlot::kPictures * kPictureBytes]) {
  uint8_t* next = memory_.get();
  for (PictureSlot& slot : slots_) {
    for (PictureEntry& e : slot.entries) {
      e = {};
      e.pixels = next;
      next += kPictureBytes;
    }
  }
}

void PictureSlots::CloseWriteSlot() {
  WriteSlot().ready.store(1);
  const int next = 1 - write_slot_.load();
  write_slot_.store(next);
  if (read_slot_.load() == next) read_slot_.store(1 - next);
}

PictureEntry& PictureSlots::Backward() {
  PictureSlot& slot = ReadSlot();
  const int32_t at = slot.written.load() - 1;
  return slot.entries[at < 0 ? 0 : at % PictureSlot::kPictures];
}

void PictureSlots::AdvanceForward() {
  PictureSlot& slot = ReadSlot();
  slot.read_index.store((slot.read_index.load() + 1) % PictureSlot::kPictures);
  slot.count.fetch_sub(1);
}

void PictureSlots::AdvanceBackward() {
  PictureSlot& slot = ReadSlot();
  if (slot.count.load() == 0) return;
  slot.written.fetch_sub(1);
  slot.count.fetch_sub(1);
}

void PictureSlots::Recycle() {
  ReadSlot().Clear();
  Switch();
}

void PictureSlots::Reset() {
  slots_[0].Clear();
  slots_[1].Clear();
  write_slot_.store(0);
  read_slot_.store(0);
}

}  // namespace engine
