// What the playback engine tells the presentation side, and the sound
// output it drives. The player window implements the view; a headless sink
// stands in for tools and tests.
#pragma once
#include <cstdint>

#include "packet_queue.h"
#include "recording.h"
#include "picture_slots.h"

namespace engine {

class EngineView {
 public:
  // A file was probed and is about to play: its times are known, no worker
  // runs yet. Called on the thread that calls StartPlayback.
  virtual void OnOpened(const backup::RecordingInfo&) {}
  // Called on the thread that changed the mode: the caller of SetPlayMode,
  // SeekTo, StartPlayback or StopEngine (the user-interface thread, or the
  // display worker when the view pauses from OnPicture), or the data-load
  // worker when a run or a one-shot picture ends in pause.
  virtual void OnModeChanged(int old_mode, int new_mode) = 0;
  // A picture is shown: play time, drawing, per-picture capture. Called on
  // the display worker.
  virtual void OnPicture(const PictureEntry& picture, int mode) = 0;
  // Slider position: 0 .. span (span may be 0). Called on the thread that
  // calls StartPlayback (0 at the start), then on the data-load worker as
  // it reads.
  virtual void OnPosition(uint32_t position, uint32_t span) = 0;
  // The "Audio On" box and the channel buttons: disabled while a delay is
  // set. Called on the display worker.
  virtual void OnAudioControlsEnabled(bool enabled) = 0;

 protected:
  ~EngineView() = default;
};

class AudioOutput {
 public:
  // The thread that calls StartPlayback; false: playback runs silent.
  virtual bool Open(void* window) = 0;
  // The thread that calls StartPlayback, and the engine's destructor.
  virtual void Close() = 0;
  // The display worker.
  virtual void Feed(PacketQueue& audio_queue) = 0;
  // The display worker, and the thread that changes the mode to play.
  virtual void StartIfReady() = 0;
  // The thread that changes the mode to anything but play.
  virtual void Stop() = 0;
  // The display worker, and the threads that reset the pipeline (the one
  // that calls StartPlayback, the data-load worker).
  virtual void StopAndEmpty() = 0;
  // The display worker.
  virtual void SetVideoTime(uint32_t timestamp) = 0;
  // The display worker, and the user-interface thread at start and as the
  // sound is switched on or off.
  virtual void SetMuted(bool muted) = 0;

 protected:
  ~AudioOutput() = default;
};

}  // namespace engine
