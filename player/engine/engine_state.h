// What the user-interface thread, the 1 ms tick and the engine's three
// workers share: the pipeline from the packet queues to the picture slots,
// the play mode, the words the workers poll, and the moves every thread
// makes on them. Each field says which thread writes it.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "decode_stage.h"
#include "engine_view.h"
#include "play_mode.h"
#include "worker_command.h"

namespace engine {

// A worker's thread and the flags the others poll.
struct WorkerThread {
  HANDLE thread = nullptr;          // the user-interface thread starts and stops it
  std::atomic<int32_t> running{0};  // cleared by the user-interface thread to end it
  std::atomic<int32_t> parked{1};   // the worker: in its idle branch, touching no queue, slot or decoder
};

// Sleeps up to ms in short steps while the worker runs and `go_on` holds;
// true when both still hold.
template <class Condition>
bool NapWhile(const WorkerThread& worker, int ms, Condition go_on) {
  constexpr int kStepMs = 5;
  for (; ms > 0 && worker.running.load() && go_on(); ms -= kStepMs) Sleep(ms < kStepMs ? ms : kStepMs);
  return worker.running.load() && go_on();
}

struct EngineState {
  EngineState(EngineView& view, AudioOutput* audio);
  EngineState(const EngineState&) = delete;
  EngineState& operator=(const EngineState&) = delete;

  // Any thread: the user-interface thread, or the display worker when the
  // view pauses from OnPicture. When it returns, no picture of the old mode
  // is presented any more.
  void SetPlayMode(int mode);
  // The data-load worker: mode `mode` changes to `to` unless another mode
  // was chosen meanwhile.
  void ChangeModeFrom(int mode, int to);
  // Queues, slots (but the group on screen when keep_shown), sound, pacing.
  // Only while the decompress and display workers are parked or stopped.
  void ResetPipeline(bool keep_shown);

  EngineView& view;
  AudioOutput* const audio;
  std::atomic<bool> audio_open{false};  // the user-interface thread, at start

  // The data-load worker fills the queues, the decompress worker decodes
  // the video queue into the slots, the display worker shows and recycles
  // the slots.
  PacketQueue video_queue, audio_queue;
  SharedParameterSets sets;
  PictureSlots slots;
  DecodeStage stage;

  std::atomic<int32_t> mode{kModeNone};  // written only by SetPlayMode and ChangeModeFrom
  // The data-load worker; a worker whose one-shot command is done sets its own word to idle.
  std::atomic<WorkerCommand> decompress_command{WorkerCommand::kIdle}, display_command{WorkerCommand::kIdle};
  std::atomic<int32_t> step{0};               // set by the user-interface thread, taken by the data-load worker
  // A picture to show while paused: its segment's header offset and its
  // timestamp, then the flag; set by the user-interface thread, taken by the
  // data-load worker.
  std::atomic<uint32_t> jump_offset{0}, jump_timestamp{0};
  std::atomic<bool> jump{false};
  std::atomic<bool> decoding{false};          // the decompress worker is inside a decode step
  std::atomic<bool> shown_valid{false};       // written by the display worker with shown_timestamp
  std::atomic<uint32_t> shown_timestamp{0};   // the picture last handed to the view
  std::atomic<int32_t> display_skip{0};       // the data-load worker: pictures to drop before play goes on
  std::atomic<int32_t> presenting{0};         // the display worker is handing a picture to the view
  std::atomic<DWORD> display_thread_id{0};    // written by the display worker as it starts
  std::atomic<bool> pacing_reset{true};       // any thread: the display's schedule starts again
  std::atomic<uint32_t> tick{0};              // the 1 ms timer counts; the user-interface thread resets it
  std::atomic<int32_t> delay_index{0}, speed_index{0}, audio_enabled{0};  // the user-interface thread
  WorkerThread data_load, decompress, display;

 private:
  void NotifyModeChanged(int old_mode, int new_mode);
};

}  // namespace engine
