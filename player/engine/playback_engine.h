// The playback engine: play modes, the data-load, decompress and display
// workers, and the 1 ms tick that paces the display. The user-interface
// thread changes the mode and requests seeks; the workers follow by polling.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "decode_stage.h"
#include "engine_view.h"
#include "file_io.h"
#include "framix_decoder.h"
#include "pacing.h"
#include "segment_reader.h"

namespace engine {

enum PlayMode : int32_t {
  kModeNone = 0, kModePause, kModePlay, kModeReverse, kModeFastForward, kModeRewind,
  kModeFirst, kModeLast, kModeSeekForward, kModeSeekBackward
};

class PlaybackEngine : private ReaderHost {
 public:
  static constexpr int kRunningQuiesceMs = 500;
  static constexpr int kOneShotQuiesceMs = 1000;

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
  void SetPlayMode(int mode);
  int PlayMode() const { return mode_.load(); }
  // While paused: one picture forward (direction > 0) or back, shown by
  // itself; the mode stays pause. Ignored in any other mode, and at the
  // first or last picture nothing is shown.
  void Step(int direction);
  // What the slider does: pause, wait 100 ms, request the seek, then
  // positioning (paused before) or the running mode again.
  void SeekTo(double fraction);
  // A new run: the display's schedule starts again with the next picture.
  void ResetTiming() { pacing_reset_.store(true); }
  void SetDelayIndex(int index) { delay_index_.store(index < 0 ? 0 : index > 5 ? 5 : index); }
  void SetSpeedIndex(int index) { speed_index_.store(index ? 1 : 0); }
  void SetAudioEnabled(bool enabled);
  // Teardown: mode 0 and every worker stopped.
  void StopEngine();

  const backup::RecordingInfo& Info() const { return info_; }
  uint32_t Tick() const { return tick_.load(); }
  // Workers that did not end by themselves and were terminated.
  int TerminatedWorkers() const { return terminated_.load(); }

 private:
  struct Worker {
    HANDLE thread = nullptr;
    std::atomic<int32_t> running{0};
    std::atomic<int32_t> parked{1};  // in its idle branch: touches no queue, slot or decoder
  };

  void StartWorker(Worker& worker, DWORD (WINAPI* entry)(void*));
  void StopWorker(Worker& worker);
  void StopWorkers();
  void ResetEngine();
  // Queues, slots (but the group on screen when keep_shown), sound, pacing.
  void ResetPipeline(bool keep_shown);
  // Mode `mode` changes to `to` unless another mode was chosen meanwhile.
  void ChangeModeFrom(int mode, int to);
  void NotifyModeChanged(int old_mode, int mode);
  // Sleeps up to ms in short steps while the worker runs and `go_on` holds.
  template <class Condition>
  static bool NapWhile(const Worker& worker, int ms, Condition go_on);
  // Both other workers idle and parked: nothing touches queues, slots or the decoder.
  void ParkWorkers();
  bool Quiesce(int ms, int mode);
  void ReadOneShot(int mode);
  void RunStep(int direction);
  void PlayOutLastGroup(int mode);
  bool Present(const PictureEntry& picture, int mode, int issued);

  static DWORD WINAPI DataLoadEntry(void* self);
  static DWORD WINAPI DecompressEntry(void* self);
  static DWORD WINAPI DisplayEntry(void* self);
  static void CALLBACK OnTick(UINT, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR);
  void DataLoadLoop();
  void DecompressLoop();
  void DisplayLoop();
  void DecodeOneShot(int command);
  // `issued` is the display command the step runs for; the step gives up
  // its waits when it changes.
  void DisplayStep(int command, bool continuous, int issued);

  // ReaderHost
  void ShowPosition(uint32_t position, uint32_t span) override { view_.OnPosition(position, span); }
  void PrepareSeek() override;
  void Pause(int ms) override { Sleep(ms); }
  bool KeepSearching() override { return data_load_.running.load() != 0; }

  EngineView& view_;
  AudioOutput* audio_;
  std::atomic<bool> audio_open_{false};

  backup::FileIO file_;
  backup::RecordingInfo info_;
  PacketQueue video_queue_, audio_queue_;
  SharedParameterSets sets_;
  PictureSlots slots_;
  DecodeStage stage_;
  FramixDecoder decoder_;
  SegmentReader reader_;
  bool decoder_ready_ = false;

  std::atomic<int32_t> mode_{kModeNone};
  std::atomic<int32_t> decompress_command_{7}, display_command_{7};
  std::atomic<int32_t> step_{0};        // set by the user-interface thread, taken by the data-load worker
  std::atomic<bool> shown_valid_{false};   // written by the display worker with shown_timestamp_
  std::atomic<uint32_t> shown_timestamp_{0};  // the picture last handed to the view
  std::atomic<bool> decoding_{false};  // the decompress worker is inside a decode step
  Worker data_load_, decompress_, display_;
  std::atomic<int> terminated_{0};
  std::atomic<int32_t> presenting_{0};     // the display worker is handing a picture to the view
  std::atomic<DWORD> display_thread_id_{0};
  std::atomic<uint32_t> tick_{0};
  UINT timer_ = 0;
  std::atomic<int32_t> delay_index_{0}, speed_index_{0}, audio_enabled_{0};

  // Display worker only.
  std::atomic<bool> pacing_reset_{true};  // set when the schedule must start again
  PacingState pacing_;
  bool skip_next_fast_ = false;
  int audio_controls_ = -1;  // last state told to the view
};

}  // namespace engine
