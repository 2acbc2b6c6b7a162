#include "sound_output.h"

namespace engine {

bool SoundOutput::Open(void* window) {
  sound_.Release();
  sound_.Configure(kRingBlocks, kBlockBytes, kStartThresholdMs, kSyncWindowTicks, static_cast<HWND>(window));
  if (sound_.Init() == 1) return true;
  sound_.Release();  // playback goes on without sound
  return false;
}

void SoundOutput::StopAndEmpty() {
  sound_.StopAndEmpty();
  feed_.Reset();  // a half-filled block belongs to the sound just dropped
}

void SoundOutput::SetMuted(bool muted) {
  if (muted == sound_.muted()) return;
  sound_.SetMuted(muted);
  sound_.ApplyMute();
}

}  // namespace engine
