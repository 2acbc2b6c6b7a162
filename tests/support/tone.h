// Sound checks for tests: G.711 u-law expansion and tone frequency.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace testsupport {

std::vector<int16_t> ExpandMuLaw(std::span<const uint8_t> bytes);

// Frequency in Hz of a steady tone, from its rising zero crossings; 0 when
// the samples hold fewer than two crossings.
double ToneFrequency(std::span<const int16_t> samples, int rate);

// The median of ToneFrequency over windows of `window` samples: a few
// glitches (a dropout, a repeated block) do not move it.
double MedianToneFrequency(std::span<const int16_t> samples, int rate, size_t window);

// Root mean square level, 0 to 32768.
double Level(std::span<const int16_t> samples);

}  // namespace testsupport
