#include "display_worker.h"

#include "mode_table.h"

namespace engine {

void DisplayWorker::Loop() {
  WorkerThread& self = state_.display;
  PictureSlots& slots = state_.slots;
  state_.display_thread_id.store(GetCurrentThreadId());
  const auto other_ready = [&] { return slots.Slot(1 - slots.ReadSlotIndex()).ready.load() != 0; };
  while (self.running.load()) {
    const WorkerCommand command = state_.display_command.load();
    if (command == WorkerCommand::kIdle) {
      self.parked.store(1);
      state_.pacing_reset.store(true);  // after a pause the schedule starts again
      NapWhile(self, 20, [&] { return state_.display_command.load() == WorkerCommand::kIdle; });
      continue;
    }
    self.parked.store(0);
    if (state_.display_command.load() != command) continue;  // parked meanwhile
    const auto same = [&] { return state_.display_command.load() == command; };
    if (IsContinuous(command)) {
      if (slots.ReadReady()) {
        Step(command);
      } else {
        if (other_ready()) slots.Switch();
        NapWhile(self, 15, same);
      }
    } else {
      NapWhile(self, 10, same);
      while (NapWhile(self, 0, same) && !slots.ReadReady()) {
        if (other_ready()) slots.Switch();
        NapWhile(self, 15, same);
      }
      if (!self.running.load() || !same()) continue;
      Step(command);
      WorkerCommand expected = command;
      state_.display_command.compare_exchange_strong(expected, WorkerCommand::kIdle);
    }
  }
  self.parked.store(1);
}

bool DisplayWorker::Present(const PictureEntry& picture, int mode, WorkerCommand issued) {
  state_.presenting.store(1);
  const bool current = state_.mode.load() == mode && ShownIn(mode, issued) && state_.display.running.load();
  if (current) {
    state_.shown_timestamp.store(picture.timestamp);
    state_.shown_valid.store(true);
    state_.view.OnPicture(picture, mode);
  }
  state_.presenting.store(0);
  return current;
}

void DisplayWorker::Step(WorkerCommand issued) {
  PictureSlots& slots = state_.slots;
  const int mode = state_.mode.load();  // before the picture is taken
  if (state_.pacing_reset.exchange(false)) {  // a new run: schedule and fast-mode alternation start again
    pacing_ = {};
    skip_next_fast_ = false;
  }
  if (!slots.ReadReady()) {
    slots.Switch();
    Sleep(0);
    return;
  }
  const bool audio = state_.audio_open.load();
  if (audio) {
    if (issued == WorkerCommand::kPlay) {  // sound plays with play only
      state_.audio->Feed(state_.audio_queue);
      state_.audio->StartIfReady();
    } else {
      state_.audio->StopAndEmpty();
    }
  }
  if (slots.ReadSlot().count.load() <= 0) {
    slots.Recycle();
    return;
  }
  const bool forward = IsForward(issued);
  if (state_.display_skip.load() > 0) {  // up to the picture on screen when play started
    state_.display_skip.fetch_sub(1);
    forward ? slots.AdvanceForward() : slots.AdvanceBackward();
    return;
  }
  const PictureEntry& picture = forward ? slots.Forward() : slots.Backward();
  if (audio) state_.audio->SetVideoTime(picture.timestamp);

  const auto advance = [&] { forward ? slots.AdvanceForward() : slots.AdvanceBackward(); };
  if (IsFast(issued) && state_.speed_index.load() == 0) {
    skip_next_fast_ = !skip_next_fast_;
    if (!skip_next_fast_) {
      advance();
      return;
    }
  }

  const int delay = state_.delay_index.load();
  // Waits end at once when the mode or the command changes or the worker stops.
  const auto same = [&] { return state_.display_command.load() == issued && state_.mode.load() == mode; };
  bool shown = true;
  if (mode == kModePlay || mode == kModeReverse) {
    const PacingDecision d = Pace(pacing_, state_.tick.load(), picture.frame_rate, delay);
    shown = d.show;
    const auto early = [&] { return static_cast<int32_t>(d.show_at - state_.tick.load()) > 0; };
    while (shown && state_.display.running.load() && same() && early()) Sleep(1);
  }

  const int controls = delay == 0;
  if (controls != audio_controls_) {
    audio_controls_ = controls;
    state_.view.OnAudioControlsEnabled(controls);
  }
  if (audio) state_.audio->SetMuted(delay > 0 || !state_.audio_enabled.load());
  if (delay > 0) NapWhile(state_.display, delay * 50, same);

  // A picture not handed over stays for the next step: pause then play loses none.
  if (shown && !Present(picture, mode, issued)) return;
  advance();
}

}  // namespace engine
