#include "playback_engine.h"

#include <mmsystem.h>
#include <objbase.h>

#include <climits>

namespace engine {
namespace {

constexpr int kIdle = 7;
constexpr int kStepCommand = 8;  // decode one group, show its last picture, while paused
constexpr DWORD kTerminatedCode = 0xFFFF00;

constexpr int kPresentWaitMs = 500;  // bound on waiting for a picture being handed over

struct ModeRow {
  int command;       // decompress and display command
  ReaderKind reader;
  GroupPlan plan;
};

ModeRow RowOf(int mode) {
  switch (mode) {
    case kModePlay: return {0, ReaderKind::kForward, GroupPlan::kAll};
    case kModeReverse: return {2, ReaderKind::kReverse, GroupPlan::kLastFirst};
    case kModeFastForward: return {1, ReaderKind::kForward, GroupPlan::kAll};
    case kModeRewind: return {3, ReaderKind::kReverse, GroupPlan::kLastFirst};
    case kModeFirst: return {5, ReaderKind::kFirst, GroupPlan::kFirstOnly};
    case kModeLast: return {6, ReaderKind::kLast, GroupPlan::kLastOnly};
    case kModeSeekForward: return {5, ReaderKind::kForward, GroupPlan::kFirstOnly};
    default: return {6, ReaderKind::kReverse, GroupPlan::kLastOnly};  // kModeSeekBackward
  }
}

bool IsOneShot(int mode) { return mode >= kModeFirst; }

// A picture decoded for a display command belongs to a mode of that command.
bool ShownIn(int mode, int issued) {
  if (issued == kStepCommand) return mode == kModePause;
  return mode >= kModePlay && RowOf(mode).command == issued;
}

}  // namespace

PlaybackEngine::PlaybackEngine(EngineView& view, AudioOutput* audio)
    : view_(view),
      audio_(audio),
      stage_(video_queue_, audio_queue_, slots_, sets_),
      decoder_(stage_),
      reader_(video_queue_, audio_queue_, sets_, *this) {
  stage_.SetDecoder(&decoder_);
}

PlaybackEngine::~PlaybackEngine() {
  StopEngine();
  if (audio_open_) audio_->Close();
}

bool PlaybackEngine::StartPlayback(const wchar_t* path, HWND window) {
  backup::RecordingInfo info;
  return backup::ProbeRecording(path, info) && StartPlayback(path, info, window);
}

bool PlaybackEngine::StartPlayback(const wchar_t* path, const backup::RecordingInfo& info, HWND window) {
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
  shown_valid_.store(false);
  step_.store(0);
  view_.OnOpened(info_);
  view_.OnPosition(0, info_.SpanLength());

  decoder_.ClearMemory();
  if (!file_.Open(path, 1) || !file_.Seek(0, backup::kFromStart)) return false;
  reader_.Start(&file_, info_);

  StartWorker(data_load_, DataLoadEntry);
  stage_.ResetFrameTimes();
  StartWorker(decompress_, DecompressEntry);
  StartWorker(display_, DisplayEntry);

  if (audio_) {
    if (audio_open_.exchange(false)) audio_->Close();
    const bool open = audio_->Open(window);
    if (open) audio_->SetMuted(!audio_enabled_.load());
    audio_open_.store(open);
  }
  SetPlayMode(kModeFirst);

  tick_.store(0);
  pacing_reset_.store(true);
  timer_ = timeSetEvent(1, 1, OnTick, reinterpret_cast<DWORD_PTR>(this), TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
  return true;
}

void PlaybackEngine::SetPlayMode(int mode) {
  const int old = mode_.exchange(mode);
  if (old != mode) NotifyModeChanged(old, mode);
}

void PlaybackEngine::ChangeModeFrom(int mode, int to) {
  int expected = mode;
  if (mode != to && mode_.compare_exchange_strong(expected, to)) NotifyModeChanged(mode, to);
}

void PlaybackEngine::NotifyModeChanged(int old, int mode) {
  // A picture taken for the old mode is either handed over already or not
  // at all (Present looks at the mode after raising its flag).
  if (GetCurrentThreadId() != display_thread_id_.load()) {
    for (int ms = 0; ms < kPresentWaitMs && presenting_.load(); ++ms) Sleep(1);
  }
  if (audio_open_.load()) {
    if (mode == kModePlay) audio_->StartIfReady();
    else audio_->Stop();
  }
  view_.OnModeChanged(old, mode);
}

void PlaybackEngine::Step(int direction) {
  if (mode_.load() == kModePause && direction) step_.store(direction > 0 ? 1 : -1);
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
  if (audio_open_.load() && delay_index_.load() == 0) audio_->SetMuted(!enabled);
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
// termination as a backstop for a worker stuck inside a decoder: every wait
// of the workers ends on its running flag within a few milliseconds, and no
// worker holds a lock while it sleeps or waits.
void PlaybackEngine::StopWorker(Worker& worker) {
  if (!worker.thread) return;
  worker.running.store(0);
  Sleep(10);
  DWORD code = STILL_ACTIVE;
  for (int look = 0; look < 19 && GetExitCodeThread(worker.thread, &code) && code == STILL_ACTIVE; ++look) Sleep(5);
  if (GetExitCodeThread(worker.thread, &code) && code == STILL_ACTIVE) {
    Sleep(5);
    if (TerminateThread(worker.thread, kTerminatedCode)) terminated_.fetch_add(1);
  }
  CloseHandle(worker.thread);
  worker.thread = nullptr;
  worker.parked.store(1);
}

void PlaybackEngine::StopWorkers() {
  StopWorker(data_load_);
  if (timer_) timeKillEvent(timer_);
  timer_ = 0;
  pacing_reset_.store(true);
  stage_.Invalidate();  // ends a decoder call-back waiting for a free slot
  StopWorker(decompress_);
  StopWorker(display_);
}

void PlaybackEngine::ResetEngine() {
  ResetPipeline(false);
  stage_.ResetFrameTimes();
  if (decoder_ready_) decoder_.ClearMemory();
}

void PlaybackEngine::ResetPipeline(bool keep_shown) {
  stage_.ResetPipeline(keep_shown);
  if (audio_open_.load()) audio_->StopAndEmpty();
  pacing_reset_.store(true);
}

template <class Condition>
bool PlaybackEngine::NapWhile(const Worker& worker, int ms, Condition go_on) {
  constexpr int kStepMs = 5;
  for (; ms > 0 && worker.running.load() && go_on(); ms -= kStepMs) Sleep(ms < kStepMs ? ms : kStepMs);
  return worker.running.load() && go_on();
}

void PlaybackEngine::ParkWorkers() {
  decompress_command_.store(kIdle);
  display_command_.store(kIdle);
  const auto busy = [](const Worker& w) { return w.running.load() && !w.parked.load(); };
  while (data_load_.running.load() && (busy(decompress_) || busy(display_))) {
    stage_.Invalidate();  // a decode waiting for the display to free a slot gives up
    Sleep(1);
  }
}

// The other workers are parked, then the settling time passes (cut
// short by a stop or another mode), then queues, slots and sound are
// emptied. False when the mode changed meanwhile.
bool PlaybackEngine::Quiesce(int ms, int mode) {
  ParkWorkers();
  const bool kept = NapWhile(data_load_, ms, [&] { return mode_.load() == mode; });
  ResetPipeline(false);
  return kept;
}

// At the end of a run no further key frame closes the slot being filled:
// close it once everything queued is decoded, and let the display show it.
void PlaybackEngine::PlayOutLastGroup(int mode) {
  const auto same = [&] { return mode_.load() == mode; };
  const auto decoding = [&] { return video_queue_.EntryCount() > 0 || stage_.HasPending() || decoding_.load(); };
  NapWhile(data_load_, INT_MAX, [&] { return same() && decoding(); });
  if (!data_load_.running.load() || !same() || slots_.WriteSlot().count.load() == 0) return;
  slots_.WriteSlot().ready.store(1);  // shown after the slot on screen, which it follows
  NapWhile(data_load_, INT_MAX, [&] { return same() && (slots_.Slot(0).ready.load() || slots_.Slot(1).ready.load()); });
}

// A seek while the workers run: park them, reset, and let them go on.
void PlaybackEngine::PrepareSeek() {
  const int decompress = decompress_command_.load(), display = display_command_.load();
  ParkWorkers();
  ResetPipeline(true);
  decompress_command_.store(decompress);
  display_command_.store(display);
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
      const int step = mode == kModePause ? step_.exchange(0) : 0;
      if (step) {
        RunStep(step);
        last = kModeNone;  // the pipeline and the reader's position were reset
        continue;
      }
      NapWhile(data_load_, 20, [&] { return step_.load() == 0 || mode_.load() != kModePause; });
      continue;  // `last` stays: pause then the same mode goes on without a reset
    }
    step_.store(0);  // a step asked for before another mode was chosen
    const bool one_shot = IsOneShot(mode);
    if (mode != last || one_shot) {
      const int ms = mode == last ? 0 : one_shot ? kOneShotQuiesceMs : kRunningQuiesceMs;
      if (!Quiesce(ms, mode)) continue;  // stopped, or another mode was chosen
      last = mode;
    }
    if (one_shot) {
      ReadOneShot(mode);
      continue;
    }
    const ModeRow row = RowOf(mode);
    decompress_command_.store(row.command);
    display_command_.store(row.command);
    if (video_queue_.EntryCount() > 0 && !reader_.SeekPending()) {
      Sleep(1);
      continue;
    }
    if (!reader_.Read(row.reader, row.plan)) {
      PlayOutLastGroup(mode);
      ChangeModeFrom(mode, kModePause);
      Sleep(5);
    }
  }
}

// One segment read and queued whole before the others start on it, so the
// decode of its group never stops short.
void PlaybackEngine::ReadOneShot(int mode) {
  const ModeRow row = RowOf(mode);
  if (reader_.Read(row.reader, row.plan)) {
    decompress_command_.store(row.command);
    display_command_.store(row.command);
    NapWhile(data_load_, INT_MAX, [&] { return display_command_.load() != kIdle && mode_.load() == mode; });
  }
  ChangeModeFrom(mode, kModePause);
  Sleep(5);
}

// Workers parked and emptied (no settling time: nothing is running while
// paused), then one group is decoded and its last picture shown.
void PlaybackEngine::RunStep(int direction) {
  ParkWorkers();
  ResetPipeline(false);
  if (!shown_valid_.load() || !reader_.ReadStep(shown_timestamp_.load(), direction)) return;
  decompress_command_.store(kStepCommand);
  display_command_.store(kStepCommand);
  // A further step or another mode ends the wait; the next step parks the workers first.
  NapWhile(data_load_, INT_MAX, [&] {
    return display_command_.load() != kIdle && mode_.load() == kModePause && step_.load() == 0;
  });
}

void PlaybackEngine::DecompressLoop() {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  while (decompress_.running.load()) {
    const int command = decompress_command_.load();
    if (command == kIdle) {
      decompress_.parked.store(1);
      NapWhile(decompress_, 20, [&] { return decompress_command_.load() == kIdle; });
      continue;
    }
    decompress_.parked.store(0);
    if (decompress_command_.load() != command) continue;  // parked meanwhile
    if (command > 3) {
      DecodeOneShot(command);
    } else if (video_queue_.EntryCount() > 0 || stage_.HasPending()) {
      decoding_.store(true);
      stage_.DecodeStep(command);
      decoding_.store(false);
      Sleep(1);
    } else {
      Sleep(10);
    }
  }
  decompress_.parked.store(1);
  if (SUCCEEDED(com)) CoUninitialize();
}

// One picture: decode the group queued for it, then close its slot.
void PlaybackEngine::DecodeOneShot(int command) {
  const auto same = [&] { return decompress_command_.load() == command; };
  NapWhile(decompress_, INT_MAX, [&] { return same() && video_queue_.EntryCount() == 0; });
  if (!decompress_.running.load() || !same()) return;
  while (decompress_.running.load() && same() && (video_queue_.EntryCount() > 0 || stage_.HasPending())) {
    stage_.DecodeStep(command == 5 ? 0 : 2);
    Sleep(1);
  }
  if (!decompress_.running.load() || !same()) return;
  stage_.CloseWriteSlot();
  int expected = command;
  decompress_command_.compare_exchange_strong(expected, kIdle);
  Sleep(10);
}

void PlaybackEngine::DisplayLoop() {
  display_thread_id_.store(GetCurrentThreadId());
  const auto other_ready = [&] { return slots_.Slot(1 - slots_.ReadSlotIndex()).ready.load() != 0; };
  while (display_.running.load()) {
    const int command = display_command_.load();
    if (command == kIdle) {
      display_.parked.store(1);
      pacing_reset_.store(true);  // after a pause the schedule starts again
      NapWhile(display_, 20, [&] { return display_command_.load() == kIdle; });
      continue;
    }
    display_.parked.store(0);
    if (display_command_.load() != command) continue;  // parked meanwhile
    const auto same = [&] { return display_command_.load() == command; };
    if (command <= 4) {
      if (slots_.ReadReady()) {
        DisplayStep(command, true, command);
      } else {
        if (other_ready()) slots_.Switch();
        NapWhile(display_, 15, same);
      }
    } else {
      NapWhile(display_, 10, same);
      while (NapWhile(display_, 0, same) && !slots_.ReadReady()) {
        if (other_ready()) slots_.Switch();
        NapWhile(display_, 15, same);
      }
      if (!display_.running.load() || !same()) continue;
      DisplayStep(command == 5 ? 0 : 2, false, command);
      int expected = command;
      display_command_.compare_exchange_strong(expected, kIdle);
    }
  }
  display_.parked.store(1);
}

// Hands the picture to the view unless the mode changed since it was taken.
bool PlaybackEngine::Present(const PictureEntry& picture, int mode, int issued) {
  presenting_.store(1);
  const bool current = mode_.load() == mode && ShownIn(mode, issued) && display_.running.load();
  if (current) {
    shown_timestamp_.store(picture.timestamp);
    shown_valid_.store(true);
    view_.OnPicture(picture, mode);
  }
  presenting_.store(0);
  return current;
}

void PlaybackEngine::DisplayStep(int command, bool continuous, int issued) {
  const int mode = mode_.load();  // before the picture is taken
  if (pacing_reset_.exchange(false)) {  // a new run: schedule and fast-mode alternation start again
    pacing_ = {};
    skip_next_fast_ = false;
  }
  if (!slots_.ReadReady()) {
    slots_.Switch();
    Sleep(0);
    return;
  }
  const bool audio = audio_open_.load();
  if (audio) {
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
  if (audio) audio_->SetVideoTime(picture.timestamp);

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
  // Waits end at once when the mode or the command changes or the worker stops.
  const auto same = [&] { return display_command_.load() == issued && mode_.load() == mode; };
  bool shown = true;
  if (mode == kModePlay || mode == kModeReverse) {
    const PacingDecision d = Pace(pacing_, tick_.load(), picture.frame_rate, delay);
    shown = d.show;
    while (shown && display_.running.load() && same() && static_cast<int32_t>(d.show_at - tick_.load()) > 0) Sleep(1);
  }

  const int controls = delay == 0;
  if (controls != audio_controls_) {
    audio_controls_ = controls;
    view_.OnAudioControlsEnabled(controls);
  }
  if (audio) audio_->SetMuted(delay > 0 || !audio_enabled_.load());
  if (delay > 0) NapWhile(display_, delay * 50, same);

  // A picture not handed over stays for the next step: pause then play loses none.
  if (shown && !Present(picture, mode, issued)) return;
  advance();
}

}  // namespace engine
