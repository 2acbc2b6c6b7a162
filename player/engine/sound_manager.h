// The sound output: decoded blocks wait in a ring and are played through a
// looping DirectSound buffer of ten blocks. The refill thread fills the block
// two ahead of the play position each time the position passes a block's
// end, keeping the sound within the sync window of the picture shown.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "audio_feed.h"
#include "audio_ring.h"
#include "cthread.h"
#include "win32/owners.h"

namespace engine {

struct RefillCounts {
  uint32_t refills, played, silent, dropped;
};

class CSoundManager final : public CThread, public AudioSink {
 public:
  static constexpr int kOutputBlocks = 10;
  static constexpr LONG kSilentVolume = DSBVOLUME_MIN;  // -10,000: muted

  // Lock and events made, muted, the refill thread running (idle).
  CSoundManager();
  ~CSoundManager() override;

  // Takes effect at the next Init. window: the cooperative-level window.
  void Configure(uint32_t ring_blocks, uint32_t block_bytes, uint32_t threshold_ms, uint32_t sync_window_ticks,
                 HWND window);
  // 1: ready. 0: failed (the caller calls Release; playback goes on silent).
  // -1: no DirectSound 8 on this system.
  int Init();
  // Playing stops, the ring empties, the output objects and the ring go.
  void Release();

  // Starts the output when the threshold is buffered (nothing when playing).
  void StartIfReady();
  // Playing stops; the ring keeps its blocks.
  void Stop();
  // Playing stops and the ring empties (display steps outside plain play, engine resets).
  void StopAndEmpty();

  // The timestamp of the picture being shown.
  void SetVideoTime(uint32_t timestamp);
  void SetMuted(bool muted) { muted_.store(muted ? 1 : 0); }
  // Silence while muted, otherwise the volume found at Init.
  void ApplyMute();

  // AudioSink, for the feed.
  bool CanTakeBlocks() const override;
  uint32_t BufferedMs() const override;
  uint32_t ThresholdMs() const override { return threshold_ms_.load(); }
  uint32_t BlockBytes() const override { return block_bytes_.load(); }
  void PushBlock(const uint8_t* pcm, uint32_t length, uint32_t timestamp) override;

  bool playing() const { return playing_.load() != 0; }
  bool muted() const { return muted_.load() != 0; }
  uint32_t filled() const;
  uint32_t video_time() const { return video_time_.load(); }
  uint32_t previous_video_time() const { return previous_video_time_.load(); }
  // The output buffer's volume now; 1 when there is no buffer.
  LONG OutputVolume() const;
  RefillCounts counts() const;

 protected:
  void Run() override;

 private:
  void Refill();
  void StopLocked(bool empty);
  bool LockOutput(DWORD offset, DWORD bytes, void** data, DWORD* got);

  // Configuration: written by the user-interface thread before Init.
  std::atomic<uint32_t> ring_blocks_{0}, block_bytes_{0}, threshold_ms_{0}, sync_window_{0};
  HWND window_ = nullptr;
  WAVEFORMATEX format_{};

  mutable std::mutex lock_;
  // Guarded by lock_: the ring, the output objects, the refill position.
  AudioRing ring_;
  win32::ComPtr<IDirectSound8> device_;
  win32::ComPtr<IDirectSoundBuffer> primary_;
  win32::ComPtr<IDirectSoundBuffer> output_;
  int output_block_ = 0;
  LONG saved_volume_ = 0;

  std::atomic<int32_t> playing_{0};   // changed under lock_; read anywhere
  std::atomic<int32_t> running_{1};   // cleared by the destructor; polled by the refill thread
  std::atomic<int32_t> muted_{1};
  std::atomic<uint32_t> video_time_{0}, previous_video_time_{0};  // written by the display worker
  std::atomic<uint32_t> refills_{0}, played_{0}, silent_{0}, dropped_{0};  // refill thread

  win32::UniqueHandle events_[kOutputBlocks];  // auto-reset, one per output block end
  win32::UniqueModule dsound_;
  using CreateFn = HRESULT(WINAPI*)(const GUID*, IDirectSound8**, IUnknown*);
  CreateFn create_ = nullptr;
};

}  // namespace engine
