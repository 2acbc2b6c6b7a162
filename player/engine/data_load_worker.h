// The data-load worker: follows the play mode, reads segments into the
// queues, and tells the decompress and display workers through their
// command words what to do with them.
#pragma once
#include <functional>

#include "engine_state.h"
#include "mode_table.h"
#include "segment_reader.h"

namespace engine {

class DataLoadWorker : private ReaderHost {
 public:
  explicit DataLoadWorker(EngineState& state);

  // The user-interface thread, while the worker is stopped: a new file.
  void StartReading(backup::ByteSource* file, const backup::RecordingInfo& info) { reader_.Start(file, info); }
  // The user-interface thread: the slider's seek, taken by the next read.
  void RequestSeek(double fraction) { reader_.RequestSeek(fraction); }

  void Loop();

 private:
  // Both command words, decompress first.
  void Issue(WorkerCommand command);
  // Both other workers idle and parked: nothing touches queues, slots or the decoder.
  void ParkWorkers();
  bool Quiesce(int ms, int mode);
  void Resume(WorkerCommand command);
  void ReadOneShot(int mode, const ModeRow& row);
  // A step or a picture asked for while paused: `read` queues its group.
  void RunOneShot(const std::function<bool()>& read);
  bool OneShotAsked() const;
  void PlayOutLastGroup(int mode);

  // ReaderHost, called on this worker's thread.
  void ShowPosition(uint32_t position, uint32_t span) override { state_.view.OnPosition(position, span); }
  void PrepareSeek() override;
  void SleepMs(int ms) override { Sleep(ms); }
  bool KeepSearching() override { return state_.data_load.running.load() != 0; }

  EngineState& state_;
  SegmentReader reader_;  // this worker's, but for StartReading and RequestSeek
};

}  // namespace engine
