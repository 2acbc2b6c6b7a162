// The commands the data-load worker gives the decompress and display
// workers, through one polled word each, and what each command asks of them.
#pragma once
#include <atomic>
#include <cstdint>

namespace engine {

enum class WorkerCommand : int32_t {
  kPlay = 0,         // every picture, forward, with sound
  kFastForward = 1,  // key pictures, forward
  kReverse = 2,      // every picture, backward
  kRewind = 3,       // key pictures, backward
  kShowFirst = 5,    // one-shot: decode the group queued, show its first picture
  kShowLast = 6,     // one-shot: decode the group queued, show its last picture
  kIdle = 7,         // parked: touch no queue, slot or decoder
  kStep = 8,         // one-shot while paused: decode the group queued, show its last picture
};
static_assert(std::atomic<WorkerCommand>::is_always_lock_free);

// What the decoder is asked to decode.
enum class DecodeScope { kEveryFrame, kKeyFramesOnly };

// Runs until the mode changes: the display paces picture after picture.
constexpr bool IsContinuous(WorkerCommand c) {
  return c == WorkerCommand::kPlay || c == WorkerCommand::kFastForward || c == WorkerCommand::kReverse ||
         c == WorkerCommand::kRewind;
}
// One group decoded, one picture shown, then the worker goes idle by itself.
constexpr bool IsOneShot(WorkerCommand c) {
  return c == WorkerCommand::kShowFirst || c == WorkerCommand::kShowLast || c == WorkerCommand::kStep;
}
// Pictures of a slot are shown first to last; otherwise last to first.
constexpr bool IsForward(WorkerCommand c) {
  return c == WorkerCommand::kPlay || c == WorkerCommand::kFastForward || c == WorkerCommand::kShowFirst;
}
// The fast modes: key pictures only, every other one shown at speed index 0.
constexpr bool IsFast(WorkerCommand c) { return c == WorkerCommand::kFastForward || c == WorkerCommand::kRewind; }
constexpr DecodeScope DecodeScopeOf(WorkerCommand c) {
  return IsFast(c) ? DecodeScope::kKeyFramesOnly : DecodeScope::kEveryFrame;
}

}  // namespace engine
