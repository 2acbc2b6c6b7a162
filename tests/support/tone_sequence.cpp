// tone_sequence FILE RATE [--partial-first] HZ...: checks that a raw 16-bit
// mono recording holds the tones HZ... one after another, each lasting about
// a second (the first may be cut short with --partial-first), and that
// nothing is heard before the first of them.
//
// The host's sound path (Wine's stream into the sound server) can underrun
// on a busy machine: the server then plays a moment of silence or skips a
// little of the sound. So a tone may come out up to a quarter second short
// and a few one-window breaks are allowed, one for every two tones. Faults
// of the player show otherwise: tones missing, doubled, out of order or off
// pitch, long gaps, breaks all along, sound before the first tone.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tone.h"

namespace {

constexpr double kWindowSeconds = 0.05;
constexpr double kSoundLevel = 200;   // RMS above this is sound
constexpr double kQuietLevel = 30;    // before the first tone everything stays below this
constexpr int kMinRunWindows = 3;     // a tone counts from 150 ms on
constexpr double kSecondMin = 0.75, kSecondMax = 1.15;

struct Run {
  int hz;  // 0: other sound, -1: silence
  size_t first, count;
};

int Classify(std::span<const int16_t> w, int rate, double& level) {
  level = testsupport::Level(w);
  if (level < kSoundLevel) return -1;
  const double f = testsupport::ToneFrequency(w, rate);
  const int nearest = static_cast<int>(std::lround(f / 100)) * 100;
  return nearest > 0 && std::fabs(f - nearest) <= nearest * 0.02 ? nearest : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: tone_sequence FILE RATE [--partial-first] HZ...\n");
    return 2;
  }
  const int rate = std::atoi(argv[2]);
  int arg = 3;
  const bool partial_first = std::strcmp(argv[arg], "--partial-first") == 0;
  if (partial_first) ++arg;
  std::vector<int> expected;
  for (; arg < argc; ++arg) expected.push_back(std::atoi(argv[arg]));

  std::ifstream in(argv[1], std::ios::binary);
  std::vector<int16_t> s;
  int16_t v;
  while (in.read(reinterpret_cast<char*>(&v), 2)) s.push_back(v);
  const size_t window = static_cast<size_t>(rate * kWindowSeconds);

  std::vector<int> classes;
  std::vector<double> levels;
  for (size_t at = 0; at + window <= s.size(); at += window) {
    double level;
    classes.push_back(Classify(std::span<const int16_t>(s.data() + at, window), rate, level));
    levels.push_back(level);
  }
  std::vector<Run> runs;
  for (size_t i = 0; i < classes.size(); ++i) {
    if (runs.empty() || runs.back().hz != classes[i]) runs.push_back({classes[i], i, 0});
    ++runs.back().count;
  }

  // Tones of at least kMinRunWindows; pieces of one tone split by a short
  // break are joined and the breaks counted.
  std::vector<Run> tones;
  size_t breaks = 0, longest_break = 0;
  for (const Run& r : runs) {
    if (r.hz <= 0 || r.count < kMinRunWindows) continue;
    if (!tones.empty() && tones.back().hz == r.hz) {
      ++breaks;
      longest_break = std::max(longest_break, r.first - (tones.back().first + tones.back().count));
      tones.back().count = r.first + r.count - tones.back().first;
    } else {
      tones.push_back(r);
    }
  }

  std::string heard;
  for (const Run& t : tones) heard += " " + std::to_string(t.hz) + "(" + std::to_string(t.count * kWindowSeconds).substr(0, 4) + "s)";
  std::printf("tone_sequence: %.2f s recorded; heard%s; %zu breaks, the longest %.2f s\n",
              s.size() / static_cast<double>(rate), heard.empty() ? " nothing" : heard.c_str(), breaks,
              longest_break * kWindowSeconds);

  const size_t max_breaks = std::max<size_t>(2, expected.size() / 2);
  bool ok = tones.size() == expected.size() && breaks <= max_breaks && longest_break <= 1;
  if (breaks > max_breaks) std::printf("tone_sequence: more than %zu breaks\n", max_breaks);
  for (size_t i = 0; ok && i < tones.size(); ++i) {
    const double seconds = tones[i].count * kWindowSeconds;
    const bool short_allowed = i == 0 && partial_first;
    if (tones[i].hz != expected[i]) ok = false;
    if (seconds > kSecondMax || (seconds < kSecondMin && !short_allowed)) {
      std::printf("tone_sequence: tone %zu (%d Hz) lasts %.2f s\n", i, tones[i].hz, seconds);
      ok = false;
    }
  }
  if (!ok) std::printf("tone_sequence: expected the tones%s\n", [&] {
    std::string e;
    for (int hz : expected) e += " " + std::to_string(hz);
    return e;
  }().c_str());

  // Before the first tone (but for the window just before it) nothing sounds.
  const size_t quiet_end = tones.empty() ? classes.size() : (tones[0].first > 0 ? tones[0].first - 1 : 0);
  double loudest = 0;
  for (size_t i = 0; i < quiet_end; ++i) loudest = std::max(loudest, levels[i]);
  std::printf("tone_sequence: %.2f s before the first tone, loudest level there %.1f\n", quiet_end * kWindowSeconds,
              loudest);
  if (loudest >= kQuietLevel) ok = false;
  return ok ? 0 : 1;
}
