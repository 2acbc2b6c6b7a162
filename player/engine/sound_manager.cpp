#include "sound_manager.h"

#include <cstring>
#include <utility>

#include "trace.h"

namespace engine {

// DirectSound 8 stands for the required DirectX 7 or later; without it Init says -1.
CSoundManager::CSoundManager() : CThread(0, THREAD_PRIORITY_NORMAL), dsound_(LoadLibraryW(L"dsound.dll")) {
  format_.wFormatTag = WAVE_FORMAT_PCM;
  format_.nChannels = 1;
  format_.nSamplesPerSec = 32000;
  format_.nAvgBytesPerSec = kPcmBytesPerSecond;
  format_.nBlockAlign = 2;
  format_.wBitsPerSample = 16;
  for (win32::UniqueHandle& e : events_) e.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (dsound_.Get())
    create_ = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(dsound_.Get(), "DirectSoundCreate8")));
  Start();  // the object is complete: Run may be called now
}

CSoundManager::~CSoundManager() {
  {
    std::lock_guard hold(lock_);
    StopLocked(true);
  }
  running_.store(0);
  SetEvent(events_[0].Get());
  SetEvent(events_[1].Get());
  Join();
  Release();
}

void CSoundManager::Configure(uint32_t ring_blocks, uint32_t block_bytes, uint32_t threshold_ms,
                              uint32_t sync_window_ticks, HWND window) {
  ring_blocks_.store(ring_blocks);
  block_bytes_.store(block_bytes);
  threshold_ms_.store(threshold_ms);
  sync_window_.store(sync_window_ticks);
  window_ = window;
}

int CSoundManager::Init() {
  if (!create_) return -1;
  Release();
  const uint32_t blocks = ring_blocks_.load(), bytes = block_bytes_.load();
  if (blocks == 0 || bytes == 0) return 0;

  win32::ComPtr<IDirectSound8> device;
  if (FAILED(create_(nullptr, device.Put(), nullptr))) return 0;
  HWND window = window_ ? window_ : GetForegroundWindow();
  if (!window) window = GetDesktopWindow();
  if (FAILED(device->SetCooperativeLevel(window, DSSCL_PRIORITY))) return 0;

  DSBUFFERDESC primary_desc{};
  primary_desc.dwSize = sizeof primary_desc;
  primary_desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
  win32::ComPtr<IDirectSoundBuffer> primary;
  if (FAILED(device->CreateSoundBuffer(&primary_desc, primary.Put(), nullptr)) ||
      FAILED(primary->SetFormat(&format_)))
    return 0;

  DSBUFFERDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN |
                 DSBCAPS_CTRLFREQUENCY | DSBCAPS_GETCURRENTPOSITION2;
  desc.dwBufferBytes = kOutputBlocks * bytes;
  desc.lpwfxFormat = &format_;
  win32::ComPtr<IDirectSoundBuffer> output;
  if (FAILED(device->CreateSoundBuffer(&desc, output.Put(), nullptr))) return 0;

  AudioRing ring;
  ring.Allocate(blocks, bytes);

  win32::ComPtr<IDirectSoundNotify> notify;
  if (FAILED(output->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(notify.Put())))) return 0;
  DSBPOSITIONNOTIFY positions[kOutputBlocks];
  for (int i = 0; i < kOutputBlocks; ++i) {
    positions[i].dwOffset = bytes * (i + 1) - 1;
    positions[i].hEventNotify = events_[i].Get();
  }
  if (FAILED(notify->SetNotificationPositions(kOutputBlocks, positions))) {
    Trace("Set NotificationPosition Failed!");
    return 0;
  }

  LONG volume = 0;
  output->GetVolume(&volume);
  if (muted_.load()) output->SetVolume(kSilentVolume);

  std::lock_guard hold(lock_);
  ring_ = std::move(ring);
  device_ = std::move(device);
  primary_ = std::move(primary);
  output_ = std::move(output);
  output_block_ = 0;
  saved_volume_ = volume;
  playing_.store(0);
  return 1;
}

void CSoundManager::Release() {
  AudioRing ring;
  win32::ComPtr<IDirectSoundBuffer> output, primary;
  win32::ComPtr<IDirectSound8> device;
  {
    std::lock_guard hold(lock_);
    playing_.store(0);
    ring = std::move(ring_);
    ring_ = AudioRing();
    output = std::move(output_);
    primary = std::move(primary_);
    device = std::move(device_);
  }
  // Released outside the lock: the refill thread no longer sees them.
  if (output) output->Stop();
  output.Reset();
  primary.Reset();
  device.Reset();
}

bool CSoundManager::LockOutput(DWORD offset, DWORD bytes, void** data, DWORD* got) {
  HRESULT hr = output_->Lock(offset, bytes, data, got, nullptr, nullptr, 0);
  if (hr == DSERR_BUFFERLOST && SUCCEEDED(output_->Restore()))
    hr = output_->Lock(offset, bytes, data, got, nullptr, nullptr, 0);
  return SUCCEEDED(hr) && *got == bytes;
}

void CSoundManager::StartIfReady() {
  if (playing_.load()) return;
  std::lock_guard hold(lock_);
  if (playing_.load() || !output_) return;
  const uint32_t bytes = ring_.block_bytes();
  if (!engine::EnoughToStart(bytes, ring_.filled(), threshold_ms_.load())) return;

  output_->Stop();
  output_->SetCurrentPosition(0);
  void* data = nullptr;
  DWORD got = 0;
  if (!LockOutput(0, 2 * bytes, &data, &got)) {
    if (data) output_->Unlock(data, got, nullptr, 0);
    return;
  }
  // The two oldest blocks open the output; a short ring leaves silence.
  auto* out = static_cast<uint8_t*>(data);
  std::memset(out, 0, 2 * bytes);
  for (int i = 0; i < 2 && ring_.filled() > 0; ++i) ring_.TakeOldest(out + i * bytes);
  output_->Unlock(data, got, nullptr, 0);
  output_block_ = 2;
  for (win32::UniqueHandle& e : events_) ResetEvent(e.Get());  // no stale refills from a previous run
  playing_.store(1);
  output_->Play(0, 0, DSBPLAY_LOOPING);
}

void CSoundManager::StopLocked(bool empty) {
  playing_.store(0);
  if (output_) output_->Stop();
  if (empty) ring_.Clear();
}

void CSoundManager::Stop() {
  std::lock_guard hold(lock_);
  StopLocked(false);
}

void CSoundManager::StopAndEmpty() {
  std::lock_guard hold(lock_);
  StopLocked(true);
}

void CSoundManager::SetVideoTime(uint32_t timestamp) {
  previous_video_time_.store(video_time_.load());
  video_time_.store(timestamp);
}

void CSoundManager::ApplyMute() {
  std::lock_guard hold(lock_);
  if (output_) output_->SetVolume(muted_.load() ? kSilentVolume : saved_volume_);
}

bool CSoundManager::CanTakeBlocks() const {
  std::lock_guard hold(lock_);
  return output_ && !ring_.FeedFull();
}

uint32_t CSoundManager::BufferedMs() const {
  std::lock_guard hold(lock_);
  return engine::BufferedMs(ring_.block_bytes(), ring_.filled());
}

void CSoundManager::PushBlock(const uint8_t* pcm, uint32_t length, uint32_t timestamp) {
  std::lock_guard hold(lock_);
  if (!pcm || ring_.size() == 0 || length != ring_.block_bytes()) return;
  ring_.Push(pcm, timestamp);
}

uint32_t CSoundManager::filled() const {
  std::lock_guard hold(lock_);
  return ring_.filled();
}

LONG CSoundManager::OutputVolume() const {
  std::lock_guard hold(lock_);
  LONG volume = 1;
  if (output_) output_->GetVolume(&volume);
  return volume;
}

RefillCounts CSoundManager::counts() const {
  return {refills_.load(), played_.load(), silent_.load(), dropped_.load()};
}

void CSoundManager::Run() {
  HANDLE events[kOutputBlocks];
  for (int i = 0; i < kOutputBlocks; ++i) events[i] = events_[i].Get();
  while (running_.load()) {
    const DWORD woke = WaitForMultipleObjects(kOutputBlocks, events, FALSE, INFINITE);
    if (!running_.load()) break;
    if (woke >= WAIT_OBJECT_0 + kOutputBlocks) {
      Sleep(10);  // the wait failed: do not spin
      continue;
    }
    if (playing_.load()) Refill();
  }
}

void CSoundManager::Refill() {
  std::lock_guard hold(lock_);
  if (!playing_.load() || !output_) return;
  const uint32_t bytes = ring_.block_bytes();
  void* data = nullptr;
  DWORD got = 0;
  if (LockOutput(output_block_ * bytes, bytes, &data, &got)) {
    const RefillResult r = ring_.Refill(static_cast<uint8_t*>(data), video_time_.load(), sync_window_.load());
    (r.played ? played_ : silent_).fetch_add(1);
    dropped_.fetch_add(r.dropped);
  }
  if (data) output_->Unlock(data, got, nullptr, 0);
  output_block_ = (output_block_ + 1) % kOutputBlocks;
  refills_.fetch_add(1);
}

}  // namespace engine
