// am4play FILE [--script "CMDS"]: plays a backup file through the real
// engine, decoders and sound, headless, and prints what it shows:
//   P tick_ms mode YYYY-MM-DD hh:mm:ss timestamp mark   for every picture shown
//   M tick_ms mode                                       for every play-mode change
//   C tick_ms command                                    for every script command
// mark is the picture number in camera 1's mark, or "-". Commands, separated
// by ";": mode N, wait MS, wait paused, seek F, delay N, speed N, audio on,
// audio off, step +1 / step -1 (one picture while paused). The script runs once the first picture is shown; without one
// the file plays to its end. Every line is written out at once. At the end
// it prints "workers terminated N" and, on stderr, its summary; it exits 0
// only when the whole script ran and both were printed, and a fault ends it
// at once with status 3 and the fault on stderr.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <string>

#include "mark_reader.h"
#include "playback_engine.h"
#include "sound_output.h"
#include "win32/text_codec.h"

namespace {

class PrintingView : public engine::EngineView {
 public:
  PrintingView() { QueryPerformanceFrequency(&frequency_), QueryPerformanceCounter(&start_); }

  void OnModeChanged(int, int mode) override {
    std::lock_guard<std::mutex> hold(lock_);
    std::printf("M %lld %d\n", Now(), mode);
    std::fflush(stdout);
    last_mode_ = mode;
  }

  void OnPicture(const engine::PictureEntry& p, int mode) override {
    const int width = p.bitmap_info.header.width, height = -p.bitmap_info.header.height;
    const testsupport::PictureView view{p.pixels, width, height, width * 3, testsupport::PixelFormat::kBgr24};
    const auto mark = testsupport::ReadQuarterMark(view, 1);
    std::lock_guard<std::mutex> hold(lock_);
    const auto& t = p.capture_time;
    std::printf("P %lld %d %s %u ", Now(), mode, backup::FormatTime(t, backup::TimeForm::kDashed).c_str(),
                p.timestamp);
    mark ? std::printf("%d\n", mark->picture) : std::printf("-\n");
    std::fflush(stdout);
    ++pictures_;
  }

  void OnPosition(uint32_t, uint32_t) override {}

  void OnCommand(const std::string& command) {
    std::lock_guard<std::mutex> hold(lock_);
    std::printf("C %lld %s\n", Now(), command.c_str());
    std::fflush(stdout);
  }
  void OnAudioControlsEnabled(bool) override {}

  long long Now() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (now.QuadPart - start_.QuadPart) * 1000 / frequency_.QuadPart;
  }
  int Pictures() {
    std::lock_guard<std::mutex> hold(lock_);
    return pictures_;
  }
  int LastMode() {
    std::lock_guard<std::mutex> hold(lock_);
    return last_mode_;
  }

 private:
  std::mutex lock_;
  LARGE_INTEGER frequency_, start_;
  int pictures_ = 0;
  int last_mode_ = -1;
};

void WaitPaused(engine::PlaybackEngine& e) {
  Sleep(50);  // let a mode just set be taken up
  for (int ms = 0; ms < 600000 && e.PlayMode() != engine::kModePause; ms += 10) Sleep(10);
}

bool Run(engine::PlaybackEngine& e, PrintingView& view, const std::string& script) {
  std::stringstream commands(script);
  std::string command;
  while (std::getline(commands, command, ';')) {
    std::stringstream words(command);
    std::string verb, arg;
    words >> verb >> arg;
    if (verb.empty()) continue;
    view.OnCommand(verb + (arg.empty() ? "" : " " + arg));
    if (verb == "mode") e.SetPlayMode(std::atoi(arg.c_str()));
    else if (verb == "wait" && arg == "paused") WaitPaused(e);
    else if (verb == "wait") Sleep(std::atoi(arg.c_str()));
    else if (verb == "seek") e.SeekTo(std::atof(arg.c_str()));
    else if (verb == "step") e.Step(std::atoi(arg.c_str()));
    else if (verb == "delay") e.SetDelayIndex(std::atoi(arg.c_str()));
    else if (verb == "speed") e.SetSpeedIndex(std::atoi(arg.c_str()));
    else if (verb == "audio" && (arg == "on" || arg == "off")) e.SetAudioEnabled(arg == "on");
    else {
      std::fprintf(stderr, "am4play: unknown command '%s'\n", command.c_str());
      return false;
    }
  }
  return true;
}

// A fault anywhere ends the run with a status that cannot pass for success,
// instead of waiting for a debugger.
LONG WINAPI OnUnhandledFault(EXCEPTION_POINTERS* info) {
  std::fprintf(stderr, "am4play: fault 0x%08lX at %p\n", info->ExceptionRecord->ExceptionCode,
               info->ExceptionRecord->ExceptionAddress);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::string script = "mode 2; wait paused";
  if (argc == 4 && std::wstring(argv[2]) == L"--script") {
    script = win32::ToUtf8(argv[3]);
  } else if (argc != 2) {
    std::fputs("usage: am4play FILE [--script \"CMDS\"]\n", stderr);
    return 2;
  }
  SetUnhandledExceptionFilter(OnUnhandledFault);
  PrintingView view;
  engine::SoundOutput sound;
  auto player = std::make_unique<engine::PlaybackEngine>(view, &sound);
  view.OnCommand("open");
  if (!player->StartPlayback(argv[1], nullptr)) {
    std::fputs("am4play: the file is not a playable backup file\n", stderr);
    return 1;
  }
  WaitPaused(*player);  // the first picture
  const bool ok = Run(*player, view, script);
  player->StopEngine();
  const bool ended = view.LastMode() == engine::kModeNone;  // the final mode line
  std::printf("workers terminated %d\n", player->TerminatedWorkers());
  const bool written = std::fflush(stdout) == 0 && !std::ferror(stdout);
  std::fprintf(stderr, "am4play: %d pictures shown in %lld ms\n", view.Pictures(), view.Now());
  return ok && ended && written ? 0 : 1;
}
