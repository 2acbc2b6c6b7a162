#include "decompress_worker.h"

#include <climits>

#include "win32/owners.h"

namespace engine {

void DecompressWorker::Loop() {
  WorkerThread& self = state_.decompress;
  const win32::ComScope com(win32::Apartment::kSingleThreaded);
  while (self.running.load()) {
    const WorkerCommand command = state_.decompress_command.load();
    if (command == WorkerCommand::kIdle) {
      self.parked.store(1);
      NapWhile(self, 20, [&] { return state_.decompress_command.load() == WorkerCommand::kIdle; });
      continue;
    }
    self.parked.store(0);
    if (state_.decompress_command.load() != command) continue;  // parked meanwhile
    if (IsOneShot(command)) {
      DecodeOneShot(command);
    } else if (state_.video_queue.EntryCount() > 0 || state_.stage.HasPending()) {
      state_.decoding.store(true);
      state_.stage.DecodeStep(DecodeScopeOf(command));
      state_.decoding.store(false);
      Sleep(1);
    } else {
      Sleep(10);
    }
  }
  self.parked.store(1);
}

void DecompressWorker::DecodeOneShot(WorkerCommand command) {
  const WorkerThread& self = state_.decompress;
  const auto same = [&] { return state_.decompress_command.load() == command; };
  NapWhile(self, INT_MAX, [&] { return same() && state_.video_queue.EntryCount() == 0; });
  if (!self.running.load() || !same()) return;
  while (self.running.load() && same() && (state_.video_queue.EntryCount() > 0 || state_.stage.HasPending())) {
    state_.stage.DecodeStep(DecodeScopeOf(command));
    Sleep(1);
  }
  if (!self.running.load() || !same()) return;
  state_.stage.CloseWriteSlot();
  WorkerCommand expected = command;
  state_.decompress_command.compare_exchange_strong(expected, WorkerCommand::kIdle);
  Sleep(10);
}

}  // namespace engine
