#include "data_load_worker.h"

#include <climits>

namespace engine {
namespace {

constexpr int kRunningQuiesceMs = 500;   // settling time before a running mode starts
constexpr int kOneShotQuiesceMs = 1000;  // before a one-shot mode starts

}  // namespace

DataLoadWorker::DataLoadWorker(EngineState& state)
    : state_(state), reader_(state.video_queue, state.audio_queue, state.sets, *this) {}

void DataLoadWorker::Loop() {
  const WorkerThread& self = state_.data_load;
  int last = kModeNone;
  while (self.running.load()) {
    const int mode = state_.mode.load();
    const ModeRow row = RowOf(mode);
    if (row.command == WorkerCommand::kIdle) {
      Issue(WorkerCommand::kIdle);
      const int step = mode == kModePause ? state_.step.exchange(0) : 0;
      const bool jump = !step && mode == kModePause && state_.jump.exchange(false);
      if (step || jump) {
        RunOneShot([&] {
          if (jump) return reader_.ReadPicture(state_.jump_offset.load(), state_.jump_timestamp.load());
          return state_.shown_valid.load() && reader_.ReadStep(state_.shown_timestamp.load(), step);
        });
        last = kModeNone;  // the pipeline and the reader's position were reset
        continue;
      }
      NapWhile(self, 20, [&] { return !OneShotAsked() || state_.mode.load() != kModePause; });
      continue;  // `last` stays: pause then the same mode goes on without a reset
    }
    state_.step.store(0);  // a step asked for before another mode was chosen
    const bool one_shot = IsOneShot(row.command);
    if (mode != last || one_shot) {
      const int ms = mode == last ? 0 : one_shot ? kOneShotQuiesceMs : kRunningQuiesceMs;
      if (!Quiesce(ms, mode)) continue;  // stopped, or another mode was chosen
      if (mode != last) Resume(row.command);
      last = mode;
    }
    if (one_shot) {
      ReadOneShot(mode, row);
      continue;
    }
    Issue(row.command);
    if (state_.video_queue.EntryCount() > 0 && !reader_.SeekPending()) {
      Sleep(1);
      continue;
    }
    if (!reader_.Read(row.reader, row.plan)) {
      PlayOutLastGroup(mode);
      state_.ChangeModeFrom(mode, kModePause);
      Sleep(5);
    }
  }
}

void DataLoadWorker::Issue(WorkerCommand command) {
  state_.decompress_command.store(command);
  state_.display_command.store(command);
}

void DataLoadWorker::ParkWorkers() {
  Issue(WorkerCommand::kIdle);
  const auto busy = [](const WorkerThread& w) { return w.running.load() && !w.parked.load(); };
  while (state_.data_load.running.load() && (busy(state_.decompress) || busy(state_.display))) {
    state_.stage.Invalidate();  // a decode waiting for the display to free a slot gives up
    Sleep(1);
  }
}

// The other workers are parked, then the settling time passes (cut
// short by a stop or another mode), then queues, slots and sound are
// emptied. False when the mode changed meanwhile.
bool DataLoadWorker::Quiesce(int ms, int mode) {
  ParkWorkers();
  const bool kept = NapWhile(state_.data_load, ms, [&] { return state_.mode.load() == mode; });
  state_.ResetPipeline(false);
  return kept;
}

// Play and reverse play go on from the picture on screen, whichever way it
// came there (a step, a one-shot picture, a pause in another mode).
void DataLoadWorker::Resume(WorkerCommand command) {
  if ((command != WorkerCommand::kPlay && command != WorkerCommand::kReverse) || !state_.shown_valid.load()) return;
  int skip = 0;
  if (reader_.ReadResume(state_.shown_timestamp.load(), IsForward(command) ? 1 : -1, skip))
    state_.display_skip.store(skip);
}

// One segment read and queued whole before the others start on it, so the
// decode of its group never stops short.
void DataLoadWorker::ReadOneShot(int mode, const ModeRow& row) {
  if (reader_.Read(row.reader, row.plan)) {
    Issue(row.command);
    NapWhile(state_.data_load, INT_MAX, [&] {
      return state_.display_command.load() != WorkerCommand::kIdle && state_.mode.load() == mode;
    });
  }
  state_.ChangeModeFrom(mode, kModePause);
  Sleep(5);
}

bool DataLoadWorker::OneShotAsked() const { return state_.step.load() != 0 || state_.jump.load(); }

// Workers parked and emptied (no settling time: nothing is running while
// paused), then one group is read, decoded and its last picture shown.
void DataLoadWorker::RunOneShot(const std::function<bool()>& read) {
  ParkWorkers();
  state_.ResetPipeline(false);
  if (!read()) return;
  Issue(WorkerCommand::kStep);
  // A further step or picture, or another mode, ends the wait; the next one parks the workers first.
  NapWhile(state_.data_load, INT_MAX, [&] {
    return state_.display_command.load() != WorkerCommand::kIdle && state_.mode.load() == kModePause &&
           !OneShotAsked();
  });
}

// At the end of a run no further key frame closes the slot being filled:
// close it once everything queued is decoded, and let the display show it.
void DataLoadWorker::PlayOutLastGroup(int mode) {
  PictureSlots& slots = state_.slots;
  const auto same = [&] { return state_.mode.load() == mode; };
  const auto decoding = [&] {
    return state_.video_queue.EntryCount() > 0 || state_.stage.HasPending() || state_.decoding.load();
  };
  NapWhile(state_.data_load, INT_MAX, [&] { return same() && decoding(); });
  if (!state_.data_load.running.load() || !same() || slots.WriteSlot().count.load() == 0) return;
  slots.WriteSlot().ready.store(1);  // shown after the slot on screen, which it follows
  const auto unshown = [&] { return slots.Slot(0).ready.load() || slots.Slot(1).ready.load(); };
  NapWhile(state_.data_load, INT_MAX, [&] { return same() && unshown(); });
}

// A seek while the workers run: park them, reset, and let them go on.
void DataLoadWorker::PrepareSeek() {
  const WorkerCommand decompress = state_.decompress_command.load(), display = state_.display_command.load();
  ParkWorkers();
  state_.ResetPipeline(true);
  state_.decompress_command.store(decompress);
  state_.display_command.store(display);
}

}  // namespace engine
