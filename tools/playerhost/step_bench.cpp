// step_bench PLAYERHOST FILE: the player program opened on FILE (groups of
// up to 10 pictures), then 50 presses of Right and 50 of Left, each timed
// from the key press to the next picture read off the screen (camera 1's
// mark). Prints the median and worst latency of each direction in ms.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "player_driver.h"

namespace {

constexpr int kSteps = 50;

double Now() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Down and up at once, with no settling pause after.
void Press(WORD key) {
  INPUT in[2] = {};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD, i.ki.wVk = key;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// Times kSteps presses of `key`; false when a step showed a wrong picture or none.
bool TimeSteps(const uidriver::PlayerDriver& p, WORD key, int direction, std::vector<double>& ms) {
  for (int i = 0; i < kSteps; ++i) {
    const auto before = p.MarkShown(0);
    if (!before) return false;
    const int expected = before->picture + direction;
    const double pressed = Now();
    Press(key);
    bool shown = false;
    double at = 0;
    while (!shown && Now() - pressed < 3000) {
      const auto m = p.MarkShown(0);
      at = Now();
      shown = m && m->picture == expected;
    }
    if (!shown) {
      std::fprintf(stderr, "step_bench: no picture %d after a step\n", expected);
      return false;
    }
    ms.push_back(at - pressed);
  }
  return true;
}

void Print(const char* name, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%s: %d steps, median %.1f ms, worst %.1f ms\n", name, int(ms.size()), ms[ms.size() / 2], ms.back());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: step_bench PLAYERHOST FILE\n", stderr);
    return 2;
  }
  uidriver::PlayerDriver p;
  if (!p.Start(argv[1], argv[2]) ||
      !uidriver::WaitUntil([&] { const auto m = p.MarkShown(0); return m && m->picture == 0; }, 15000) ||
      !uidriver::Focus(p.Process().Window())) {
    std::fputs("step_bench: the player did not show the file\n", stderr);
    return 1;
  }
  Sleep(1500);  // the first position's mode has ended in pause
  std::vector<double> forward, back;
  const bool ok = TimeSteps(p, VK_RIGHT, +1, forward) && TimeSteps(p, VK_LEFT, -1, back);
  if (!ok) return 1;
  Print("step forward", forward);
  Print("step back", back);
  return 0;
}
