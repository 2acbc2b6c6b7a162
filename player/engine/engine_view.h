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
  // A file was probed and is about to play: its times are known, no worker runs yet.
  virtual void OnOpened(const backup::RecordingInfo&) {}
  virtual void OnModeChanged(int old_mode, int new_mode) = 0;
  // A picture is shown: play time, drawing, per-picture capture.
  virtual void OnPicture(const PictureEntry& picture, int mode) = 0;
  // Slider position: 0 .. span (span may be 0).
  virtual void OnPosition(uint32_t position, uint32_t span) = 0;
  // The "Audio On" box and the channel buttons: disabled while a delay is set.
  virtual void OnAudioControlsEnabled(bool enabled) = 0;

 protected:
  ~EngineView() = default;
};

class AudioOutput {
 public:
  virtual bool Open(void* window) = 0;  // false: playback runs silent
  virtual void Close() = 0;
  virtual void Feed(PacketQueue& audio_queue) = 0;
  virtual void StartIfReady() = 0;
  virtual void Stop() = 0;
  virtual void StopAndEmpty() = 0;
  virtual void SetVideoTime(uint32_t timestamp) = 0;
  virtual void SetMuted(bool muted) = 0;

 protected:
  ~AudioOutput() = default;
};

}  // namespace engine
