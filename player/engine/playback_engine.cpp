#include "playback_engine.h"

#include <mmsystem.h>
#include <objbase.h>

namespace engine {
namespace {

constexpr int kIdle = 7;
constexpr DWORD kTerminatedCode = 0xFFFF00;

struct ModeRow {
  int command;       // decompress and display command
  ReaderKind reader;
};

ModeRow RowOf(int mode) {
  switch (mode) {
    case kModePlay: return {0, ReaderKind::kForward};
    case kModeReverse: return {2, ReaderKind::kReverse};
    case kModeFastForward: return {1, ReaderKind::kForward};
    case kModeRewind: return {3, ReaderKind::kReverse};
    case kModeFirst: return {5, ReaderKind::kFirst};
    case kModeLast: return {6, ReaderKind::kLast};
    case kModeSeekForward: return {5, ReaderKind::kForward};
    default: return {6, ReaderKind::kReverse};  // kModeSeekBackward
  }
}

bool IsOneShot(int mode) { return mode >= kModeFirst; }

}  // namespace

PlaybackEngine::PlaybackEngine(EngineView& view, AudioOutput* audio)
    : view_(view),
      audio_(audio),
      stage_(video_queue_, audio_queue_, slots_, store_),
      decoder_(stage_),
      reader_(video_queue_, audio_queue_, store_, *this) {
  stage_.SetDecoder(&decoder_);
}

PlaybackEngine::~PlaybackEngine() {
  StopEngine();
  if (audio_open_) audio_->Close();
}

bool PlaybackEngine::StartPlayback(const wchar_t* path, HWND window) {
  backup::RecordingInfo info;
  if (!backup::ProbeRecording(path, info)) return false;
  if (decoder_ready_) {
    SetPlayMode(kModePause);  // the new workers must not start in the old file's mode
    StopWorkers();
    ResetEngine();
    decoder_.Uninit();
  }
  decoder_ready_ = decoder_.Init(info.video_format, window);
  info_ = info;
  StopWorkers();
  ResetEngine();
  view_.OnPosition(0, info_.SpanLength());

  decoder_.ClearMemory();
  if (!file_.Open(path, 1) || !file_.Seek(0, backup::kFromStart)) return false;
  reader_.Start(&file_, info_);

  StartWorker(data_load_, DataLoadEntry);
  stage_.ResetFrameTimes();
  StartWorker(decompress_, DecompressEntry);
  StartWorker(display_, DisplayEntry);

  if (audio_) {
    if (audio_open_) audio_->Close();
    audio_open_ = audio_->Open(window);
    if (audio_open_) audio_->SetMuted(!audio_enabled_.load());
  }
  SetPlayMode(kModeFirst);

  tick_.store(0);
  pacing_reset_.store(true);
  timer_ = timeSetEvent(1, 1, OnTick, reinterpret_cast<DWORD_PTR>(this), TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
  return true;
}

void PlaybackEngine::SetPlayMode(int mode) {
  const int old = mode_.exchange(mode);
  if (old == mode) return;
  if (audio_open_) {
    if (mode == kModePlay) audio_->StartIfReady();
    else audio_->Stop();
  }
  view_.OnModeChanged(old, mode);
}

void PlaybackEngine::SeekTo(double fraction) {
  int before = mode_.load();
  SetPlayMode(kModePause);
  Sleep(100);
  reader_.RequestSeek(fraction);
  if (before == kModeNone || before == kModePause) before = fraction > 0.5 ? kModeSeekBackward : kModeSeekForward;
  SetPlayMode(before);
}

void PlaybackEngine::SetAudioEnabled(bool enabled) {
  audio_enabled_.store(enabled);
  if (audio_open_ && delay_index_.load() == 0) audio_->SetMuted(!enabled);
}

void PlaybackEngine::StopEngine() {
  SetPlayMode(kModeNone);
  StopWorkers();
}

void PlaybackEngine::StartWorker(Worker& worker, DWORD(WINAPI* entry)(void*)) {
  worker.running.store(1);
  worker.thread = CreateThread(nullptr, 0, entry, this, 0, nullptr);
  if (!worker.thread) worker.running.store(0);
}

// Running flag cleared, then up to about 110 ms for the thread to end, then
// termination as a backstop: no worker holds a lock while it sleeps or waits.
void PlaybackEngine::StopWorker(Worker& worker) {
  if (!worker.thread) return;
  worker.running.store(0);
  Sleep(10);
  DWORD code = STILL_ACTIVE;
  for (int look = 0; look < 19 && GetExitCodeThread(worker.thread, &code) && code == STILL_ACTIVE; ++look) Sleep(5);
  if (GetExitCodeThread(worker.thread, &code) && code == STILL_ACTIVE) {
    Sleep(5);
    TerminateThread(worker.thread, kTerminatedCode);
  }
  CloseHandle(worker.thread);
  worker.thread = nullptr;
}

void PlaybackEngine::StopWorkers() {
  if (data_load_.thread) {
    StopWorker(data_load_);
    if (timer_) timeKillEvent(timer_);
    timer_ = 0;
    pacing_reset_.store(true);
  }
  stage_.Invalidate();  // ends a decoder call-back waiting for a free slot
  StopWorker(decompress_);
  StopWorker(display_);
}

void PlaybackEngine::ResetEngine() {
  video_queue_.Empty();
  audio_queue_.Empty();
  stage_.DropPending();
  stage_.ResetSlots();
  stage_.ResetFrameTimes();
  if (audio_open_) audio_->StopAndEmpty();
  if (decoder_ready_) decoder_.ClearMemory();
}

// The other workers reach their idle branch during the sleep; then the
// queues, slots and sound are emptied.
void PlaybackEngine::Quiesce(int ms) {
  decompress_command_.store(kIdle);
  display_command_.store(kIdle);
  if (ms) Sleep(ms);
  video_queue_.Empty();
  audio_queue_.Empty();
  stage_.DropPending();
  stage_.ResetSlots();
  if (audio_open_) audio_->StopAndEmpty();
  pacing_reset_.store(true);
  while (data_load_.running.load() && video_queue_.EntryCount() > 0) Sleep(10);
}

// At the end of a run no further key frame closes the slot being filled:
// close it once everything queued is decoded, and let the display show it.
void PlaybackEngine::PlayOutLastGroup(int mode) {
  const auto running = [&] { return data_load_.running.load() && mode_.load() == mode; };
  while (running() && (video_queue_.EntryCount() > 0 || stage_.HasPending() || decoding_.load())) Sleep(10);
  if (!running() || slots_.WriteSlot().count.load() == 0) return;
  slots_.WriteSlot().ready.store(1);  // shown after the slot on screen, which it follows
  while (running() && (slots_.Slot(0).ready.load() || slots_.Slot(1).ready.load())) Sleep(10);
}

void PlaybackEngine::PrepareSeek() {
  stage_.ResetForSeek();
  while (data_load_.running.load() && video_queue_.EntryCount() > 0) Sleep(10);
}

DWORD WINAPI PlaybackEngine::DataLoadEntry(void* self) {
  static_cast<PlaybackEngine*>(self)->DataLoadLoop();
  return 0;
}
DWORD WINAPI PlaybackEngine::DecompressEntry(void* self) {
  static_cast<PlaybackEngine*>(self)->DecompressLoop();
  return 0;
}
DWORD WINAPI PlaybackEngine::DisplayEntry(void* self) {
  static_cast<PlaybackEngine*>(self)->DisplayLoop();
  return 0;
}

void CALLBACK PlaybackEngine::OnTick(UINT, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR) {
  reinterpret_cast<PlaybackEngine*>(self)->tick_.fetch_add(1);
}

void PlaybackEngine::DataLoadLoop() {
  int last = kModeNone;
  while (data_load_.running.load()) {
    const int mode = mode_.load();
    if (mode <= kModePause) {
      decompress_command_.store(kIdle);
      display_command_.store(kIdle);
      Sleep(20);
      continue;  // `last` stays: pause then the same mode goes on without a reset
    }
    const bool one_shot = IsOneShot(mode);
    if (mode != last) {
      Quiesce(one_shot ? kOneShotQuiesceMs : kRunningQuiesceMs);
    } else if (one_shot) {
      Quiesce(0);  // the workers are idle after the last one-shot: drop what it left
    }
    const ModeRow row = RowOf(mode);
    decompress_command_.store(row.command);
    display_command_.store(row.command);
    last = mode;
    if (!one_shot && video_queue_.EntryCount() > 0 && !reader_.SeekPending()) {
      Sleep(1);
      continue;
    }
    if (!reader_.Read(row.reader)) {
      if (!one_shot) PlayOutLastGroup(mode);
      SetPlayMode(kModePause);
      Sleep(5);
      continue;
    }
    if (one_shot) {
      while (data_load_.running.load() && display_command_.load() != kIdle && mode_.load() == mode) Sleep(100);
      if (mode_.load() == mode) SetPlayMode(kModePause);
    }
  }
}

void PlaybackEngine::DecompressLoop() {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  while (decompress_.running.load()) {
    const int command = decompress_command_.load();
    if (command == kIdle) {
      Sleep(20);
    } else if (command <= 3) {
      if (video_queue_.EntryCount() > 0 || stage_.HasPending()) {
        decoding_.store(true);
        stage_.DecodeStep(command);
        decoding_.store(false);
        Sleep(1);
      } else {
        Sleep(10);
      }
    } else {
      // One picture: decode the whole segment, then close its slot.
      while (decompress_.running.load() && decompress_command_.load() == command && video_queue_.EntryCount() == 0)
        Sleep(10);
      if (decompress_command_.load() != command) continue;
      while (decompress_.running.load() && video_queue_.EntryCount() > 0) {
        stage_.DecodeStep(command == 5 ? 0 : 2);
        Sleep(1);
      }
      stage_.DecodeStep(command == 5 ? 0 : 2);  // a key frame left pending
      stage_.CloseWriteSlot();
      int expected = command;
      decompress_command_.compare_exchange_strong(expected, kIdle);
      Sleep(10);
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
}

void PlaybackEngine::DisplayLoop() {
  while (display_.running.load()) {
    const int command = display_command_.load();
    if (command == kIdle) {
      pacing_reset_.store(true);  // after a pause the schedule starts again
      Sleep(20);
    } else if (command <= 4) {
      if (slots_.ReadReady()) {
        DisplayStep(command, true);
      } else {
        if (slots_.Slot(1 - slots_.ReadSlotIndex()).ready.load()) slots_.Switch();
        Sleep(10);
        Sleep(5);
      }
    } else {
      Sleep(10);
      while (display_.running.load() && display_command_.load() == command && !slots_.ReadReady()) {
        if (slots_.Slot(1 - slots_.ReadSlotIndex()).ready.load()) slots_.Switch();
        Sleep(10);
        Sleep(5);
      }
      if (display_command_.load() != command) continue;
      DisplayStep(command == 5 ? 0 : 2, false);
      int expected = command;
      display_command_.compare_exchange_strong(expected, kIdle);
    }
  }
}

void PlaybackEngine::DisplayStep(int command, bool continuous) {
  if (pacing_reset_.exchange(false)) {  // a new run: schedule and fast-mode alternation start again
    pacing_ = {};
    skip_next_fast_ = false;
  }
  if (!slots_.ReadReady()) {
    slots_.Switch();
    Sleep(0);
    return;
  }
  if (audio_open_) {
    if (command == 0 && continuous) {
      audio_->Feed(audio_queue_);
      audio_->StartIfReady();
    } else {
      audio_->StopAndEmpty();
    }
  }
  if (slots_.ReadSlot().count.load() <= 0) {
    slots_.Recycle();
    return;
  }
  const bool forward = command == 0 || command == 1;
  if (!forward && command != 2 && command != 3) return;
  const PictureEntry& picture = forward ? slots_.Forward() : slots_.Backward();
  if (audio_open_) audio_->SetVideoTime(picture.timestamp);

  const auto advance = [&] { forward ? slots_.AdvanceForward() : slots_.AdvanceBackward(); };
  // Fast modes at speed index 0 show every other decoded picture.
  if ((command == 1 || command == 3) && speed_index_.load() == 0) {
    skip_next_fast_ = !skip_next_fast_;
    if (!skip_next_fast_) {
      advance();
      return;
    }
  }

  const int delay = delay_index_.load();
  const int mode = mode_.load();
  bool shown = true;
  if (mode == kModePlay || mode == kModeReverse) {
    const PacingDecision d = Pace(pacing_, tick_.load(), picture.frame_rate, delay);
    shown = d.show;
    while (shown && display_.running.load() && static_cast<int32_t>(d.show_at - tick_.load()) > 0) Sleep(1);
  }

  const int controls = delay == 0;
  if (controls != audio_controls_) {
    audio_controls_ = controls;
    view_.OnAudioControlsEnabled(controls);
  }
  if (audio_open_) audio_->SetMuted(delay > 0 || !audio_enabled_.load());
  if (delay > 0) Sleep(delay * 50);

  if (shown) view_.OnPicture(picture, mode);
  advance();
}

}  // namespace engine
