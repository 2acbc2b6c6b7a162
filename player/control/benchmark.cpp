#include "benchmark.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// Pumps the window's messages while waiting; false on timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  for (DWORD start = GetTickCount(); !done();) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(5);
  }
  return true;
}

}  // namespace

bool RunBenchmark(view::PlayerScreenView& view, const wchar_t* out_path) {
  // EXIT pressed while the messages are pumped takes the view and its
  // engine away: each look at them checks that the window is still there.
  const HWND window = view.Hwnd();
  const auto gone = [window] { return !IsWindow(window); };
  const auto paused = [&] { return gone() || view.PlayMode() == engine::kModePause; };
  if (!PumpUntil(paused, 20000) || gone()) return false;
  const DWORD start = GetTickCount();
  view.StartTimedPlay();
  Sleep(200);
  const bool ended = PumpUntil(paused, 600000);
  const double played = (GetTickCount() - start) / 1000.0;
  if (gone()) return false;
  const view::DisplayTimings t = view.StopTimedPlay();

  std::vector<float> ms = t.ms;
  if (!ended || ms.size() < 2) return false;
  std::sort(ms.begin(), ms.end());
  const uint32_t first = t.timestamps.front(), last = t.timestamps.back();
  const uint32_t period = 90000 / std::max<uint32_t>(t.frame_rate, 1);
  const long expected = long((last - first + period / 2) / period) + 1;
  FILE* out = _wfopen(out_path, L"w");
  if (!out) return false;
  std::fprintf(out, "shown %zu\nskipped %ld\nmedian_ms %.3f\np99_ms %.3f\nmax_ms %.3f\nplayed_s %.2f\n", ms.size(),
               expected - long(ms.size()), ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back(), played);
  return std::fclose(out) == 0;
}
