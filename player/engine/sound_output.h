// The engine's sound: the sound manager on DirectSound, fed with the
// recording's audio frames decoded by Auralis.
#pragma once
#include "auralis_decoder.h"
#include "engine_view.h"
#include "sound_manager.h"

namespace engine {

class SoundOutput : public AudioOutput {
 public:
  static constexpr uint32_t kRingBlocks = 40;
  static constexpr uint32_t kBlockBytes = 4608;         // 72 ms
  static constexpr uint32_t kStartThresholdMs = 300;
  static constexpr uint32_t kSyncWindowTicks = 30000;   // 1/3 s at 90 kHz

  SoundOutput() : feed_(decoder_) {}

  bool Open(void* window) override;
  void Close() override { sound_.Release(); }
  void Feed(PacketQueue& audio_queue) override { feed_.Feed(audio_queue, sound_); }
  void StartIfReady() override { sound_.StartIfReady(); }
  void Stop() override { sound_.Stop(); }
  void StopAndEmpty() override;
  void SetVideoTime(uint32_t timestamp) override { sound_.SetVideoTime(timestamp); }
  void SetMuted(bool muted) override;

 private:
  CSoundManager sound_;
  AuralisDecoder decoder_;
  AudioFeed feed_;
};

}  // namespace engine
