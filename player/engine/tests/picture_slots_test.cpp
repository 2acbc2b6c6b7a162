#include "picture_slots.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace engine {
namespace {

// The writer takes a slot once it is neither ready nor holds pictures; by
// then a recycled slot's indices must read 0. Many hand-overs, so a clear in
// the wrong order shows.
TEST(PictureSlots, ARecycledSlotLooksFreeOnlyOnceItsIndicesAreCleared) {
  auto slots = std::make_unique<PictureSlots>();
  PictureSlot& slot = slots->Slot(0);
  constexpr int kRounds = 20000;
  std::atomic<int> round{0}, stale{0};
  std::thread writer([&] {
    for (int r = 0; r < kRounds; ++r) {
      while (round.load() != r + 1) {}  // the display side has set the slot up
      while (slot.count.load() > 0 || slot.ready.load()) {}
      if (slot.write_index.load() != 0 || slot.written.load() != 0 || slot.read_index.load() != 0) ++stale;
      round.store(-r - 1);  // taken
    }
  });
  for (int r = 0; r < kRounds; ++r) {
    // A shown group: ready, all pictures shown, indices left where they were.
    slot.write_index.store(7);
    slot.read_index.store(7);
    slot.written.store(7);
    slot.count.store(0);
    slot.ready.store(1);
    round.store(r + 1);
    slots->Recycle();
    while (round.load() != -r - 1) {}
    slots->Switch();  // back to slot 0 for the next round
  }
  writer.join();
  EXPECT_EQ(stale.load(), 0);
}

}  // namespace
}  // namespace engine
