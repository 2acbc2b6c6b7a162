// Plays a sine tone through DirectSound: 16-bit mono at 32000 samples/s,
// the player's sound format.  directsound_tone [HZ [MS]]
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const int hz = argc > 1 ? std::atoi(argv[1]) : 880;
  const int ms = argc > 2 ? std::atoi(argv[2]) : 1500;
  constexpr int kRate = 32000;

  IDirectSound8* ds = nullptr;
  if (FAILED(DirectSoundCreate8(nullptr, &ds, nullptr))) {
    std::fprintf(stderr, "DirectSoundCreate8 failed\n");
    return 1;
  }
  int result = 1;
  IDirectSoundBuffer* buffer = nullptr;
  WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
  DSBUFFERDESC desc = {sizeof desc, DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2,
                       static_cast<DWORD>(kRate * 2 * ms / 1000), 0, &format, {}};
  void* data = nullptr;
  DWORD bytes = 0;
  if (FAILED(ds->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY)) ||
      FAILED(ds->CreateSoundBuffer(&desc, &buffer, nullptr)) ||
      FAILED(buffer->Lock(0, desc.dwBufferBytes, &data, &bytes, nullptr, nullptr, 0))) {
    std::fprintf(stderr, "DirectSound buffer set-up failed\n");
  } else {
    auto* samples = static_cast<short*>(data);
    for (DWORD i = 0; i < bytes / 2; ++i) {
      samples[i] = static_cast<short>(12000 * std::sin(2 * 3.14159265358979 * hz * i / kRate));
    }
    buffer->Unlock(data, bytes, nullptr, 0);
    if (SUCCEEDED(buffer->Play(0, 0, 0))) {
      Sleep(ms + 200);
      buffer->Stop();
      result = 0;
    } else {
      std::fprintf(stderr, "Play failed\n");
    }
  }
  if (buffer) buffer->Release();
  ds->Release();
  return result;
}
