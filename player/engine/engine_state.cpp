#include "engine_state.h"

namespace engine {
namespace {

constexpr int kPresentWaitMs = 500;  // bound on waiting for a picture being handed over

}  // namespace

EngineState::EngineState(EngineView& view, AudioOutput* audio)
    : view(view), audio(audio), stage(video_queue, audio_queue, slots, sets) {}

void EngineState::SetPlayMode(int to) {
  const int old = mode.exchange(to);
  if (old != to) NotifyModeChanged(old, to);
}

void EngineState::ChangeModeFrom(int from, int to) {
  int expected = from;
  if (from != to && mode.compare_exchange_strong(expected, to)) NotifyModeChanged(from, to);
}

void EngineState::NotifyModeChanged(int old_mode, int new_mode) {
  // A picture taken for the old mode is either handed over already or not
  // at all (the display worker looks at the mode after raising its flag).
  if (GetCurrentThreadId() != display_thread_id.load()) {
    for (int ms = 0; ms < kPresentWaitMs && presenting.load(); ++ms) Sleep(1);
  }
  if (audio_open.load()) {
    if (new_mode == kModePlay) audio->StartIfReady();
    else audio->Stop();
  }
  view.OnModeChanged(old_mode, new_mode);
}

void EngineState::ResetPipeline(bool keep_shown) {
  stage.ResetPipeline(keep_shown);
  if (audio_open.load()) audio->StopAndEmpty();
  pacing_reset.store(true);
  display_skip.store(0);
}

}  // namespace engine
