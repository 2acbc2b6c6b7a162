#include "playback_engine.h"

#include <mmsystem.h>

namespace engine {
namespace {

constexpr DWORD kTerminatedCode = 0xFFFF00;
constexpr DWORD kStopGraceMs = 1000;

template <class Worker>
DWORD WINAPI RunLoop(void* worker) {
  static_cast<Worker*>(worker)->Loop();
  return 0;
}

}  // namespace

PlaybackEngine::PlaybackEngine(EngineView& view, AudioOutput* audio)
    : state_(view, audio), decoder_(state_.stage), data_load_(state_), decompress_(state_), display_(state_) {
  state_.stage.SetDecoder(&decoder_);
}

PlaybackEngine::~PlaybackEngine() {
  StopEngine();
  if (state_.audio_open) state_.audio->Close();
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
  state_.shown_valid.store(false);
  state_.step.store(0);
  state_.jump.store(false);
  state_.view.OnOpened(info_);
  state_.view.OnPosition(0, info_.SpanLength());

  decoder_.ClearMemory();
  if (!file_.Open(path, 1) || !file_.Seek(0, backup::kFromStart)) return false;
  data_load_.StartReading(&file_, info_);

  StartWorker(state_.data_load, data_load_);
  state_.stage.ResetFrameTimes();
  StartWorker(state_.decompress, decompress_);
  StartWorker(state_.display, display_);

  if (AudioOutput* audio = state_.audio) {
    if (state_.audio_open.exchange(false)) audio->Close();
    const bool open = audio->Open(window);
    if (open) audio->SetMuted(!state_.audio_enabled.load());
    state_.audio_open.store(open);
  }
  SetPlayMode(kModeFirst);

  state_.tick.store(0);
  state_.pacing_reset.store(true);
  timer_ = timeSetEvent(1, 1, OnTick, reinterpret_cast<DWORD_PTR>(this), TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
  return true;
}

void PlaybackEngine::Step(int direction) {
  if (state_.mode.load() == kModePause && direction) state_.step.store(direction > 0 ? 1 : -1);
}

void PlaybackEngine::ShowPicture(uint32_t offset, uint32_t timestamp) {
  state_.jump_offset.store(offset);
  state_.jump_timestamp.store(timestamp);
  state_.jump.store(true);
  SetPlayMode(kModePause);
}

void PlaybackEngine::SeekTo(double fraction) {
  int before = state_.mode.load();
  SetPlayMode(kModePause);
  Sleep(100);
  data_load_.RequestSeek(fraction);
  if (before == kModeNone || before == kModePause) before = fraction > 0.5 ? kModeSeekBackward : kModeSeekForward;
  SetPlayMode(before);
}

void PlaybackEngine::SetAudioEnabled(bool enabled) {
  state_.audio_enabled.store(enabled);
  if (state_.audio_open.load() && state_.delay_index.load() == 0) state_.audio->SetMuted(!enabled);
}

void PlaybackEngine::StopEngine() {
  SetPlayMode(kModeNone);
  StopWorkers();
}

template <class Worker>
void PlaybackEngine::StartWorker(WorkerThread& thread, Worker& worker) {
  thread.running.store(1);
  thread.thread = CreateThread(nullptr, 0, RunLoop<Worker>, &worker, 0, nullptr);
  if (!thread.thread) thread.running.store(0);
}

// Running flag cleared, then up to a second for the thread to end, then
// termination as a backstop for a worker stuck inside a decoder. Every wait
// of the workers ends on its running flag within a few milliseconds, and no
// worker holds a lock while it sleeps or waits, so a worker that gets the
// processor ends long before. The second is for a machine so busy that it
// does not: a thread terminated while it holds a lock of the system's (the
// heap's, the graphics driver's) takes the whole process down with it.
void PlaybackEngine::StopWorker(WorkerThread& worker) {
  if (!worker.thread) return;
  worker.running.store(0);
  if (WaitForSingleObject(worker.thread, kStopGraceMs) == WAIT_TIMEOUT &&
      TerminateThread(worker.thread, kTerminatedCode))
    terminated_.fetch_add(1);
  CloseHandle(worker.thread);
  worker.thread = nullptr;
  worker.parked.store(1);
}

void PlaybackEngine::StopWorkers() {
  StopWorker(state_.data_load);
  if (timer_) timeKillEvent(timer_);
  timer_ = 0;
  state_.pacing_reset.store(true);
  state_.stage.Invalidate();  // ends a decoder call-back waiting for a free slot
  StopWorker(state_.decompress);
  StopWorker(state_.display);
}

void PlaybackEngine::ResetEngine() {
  state_.ResetPipeline(false);
  state_.stage.ResetFrameTimes();
  if (decoder_ready_) decoder_.ClearMemory();
}

void CALLBACK PlaybackEngine::OnTick(UINT, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR) {
  reinterpret_cast<PlaybackEngine*>(self)->state_.tick.fetch_add(1);
}

}  // namespace engine
