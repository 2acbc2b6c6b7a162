// The playback engine: play modes, the data-load, decompress and display
// workers, and the 1 ms tick that paces the display. The user-interface
// thread changes the mode and requests seeks; the workers follow by polling.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "data_load_worker.h"
#include "decompress_worker.h"
#include "display_worker.h"
#include "engine_state.h"
#include "engine_view.h"
#include "file_io.h"
#include "framix_decoder.h"
#include "play_mode.h"

namespace engine {

class PlaybackEngine {
 public:
  PlaybackEngine(EngineView& view, AudioOutput* audio);
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;
  ~PlaybackEngine();

  // Starts a backup file: probe, decoder, workers, sound, first picture.
  bool StartPlayback(const wchar_t* path, HWND window);
  // The same for a file probed already (off the window's thread, say).
  bool StartPlayback(const wchar_t* path, const backup::RecordingInfo& info, HWND window);
  // When it returns, no picture of the old mode is presented any more (the
  // view must not wait on the caller's thread while presenting).
  // A pending ShowPicture is dropped by any mode but pause.
  void SetPlayMode(int mode) {
    if (mode != kModePause) state_.jump.store(false);
    state_.SetPlayMode(mode);
  }
  int PlayMode() const { return state_.mode.load(); }
  // While paused: one picture forward (direction > 0) or back, shown by
  // itself; the mode stays pause. Ignored in any other mode, and at the
  // first or last picture nothing is shown.
  void Step(int direction);
  // Pauses, then shows the picture with `timestamp` of the segment whose
  // header is at `offset` by itself, as a step shows its picture; nothing
  // is shown when the segment holds no such picture. Play goes on from it.
  void ShowPicture(uint32_t offset, uint32_t timestamp);
  // The timestamp of the picture on screen; false when none is.
  bool ShownPicture(uint32_t& timestamp) const {
    timestamp = state_.shown_timestamp.load();
    return state_.shown_valid.load();
  }
  // What the slider does: pause, wait 100 ms, request the seek, then
  // positioning (paused before) or the running mode again.
  void SeekTo(double fraction);
  // A new run: the display's schedule starts again with the next picture.
  void ResetTiming() { state_.pacing_reset.store(true); }
  void SetDelayIndex(int index) { state_.delay_index.store(index < 0 ? 0 : index > 5 ? 5 : index); }
  void SetSpeedIndex(int index) { state_.speed_index.store(index ? 1 : 0); }
  void SetAudioEnabled(bool enabled);
  // Teardown: mode 0 and every worker stopped.
  void StopEngine();

  const backup::RecordingInfo& Info() const { return info_; }
  uint32_t Tick() const { return state_.tick.load(); }
  // Workers that did not end by themselves and were terminated.
  int TerminatedWorkers() const { return terminated_.load(); }

 private:
  template <class Worker>
  void StartWorker(WorkerThread& thread, Worker& worker);
  void StopWorker(WorkerThread& thread);
  void StopWorkers();
  void ResetEngine();
  static void CALLBACK OnTick(UINT, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR);

  EngineState state_;
  // Set up by the calling thread while no worker runs; the decompress
  // worker decodes through the stage.
  FramixDecoder decoder_;
  bool decoder_ready_ = false;
  backup::FileIO file_;  // read by the data-load worker
  backup::RecordingInfo info_;
  DataLoadWorker data_load_;
  DecompressWorker decompress_;
  DisplayWorker display_;
  std::atomic<int> terminated_{0};
  UINT timer_ = 0;
};

}  // namespace engine
