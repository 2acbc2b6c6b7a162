// Display pacing against a 1 ms tick counter. A picture period is 1000 / F
// whole milliseconds; when F does not divide 1000, the remainder is added to
// one interval in every F (33 ms with one 43 ms interval at 30 pictures per
// second), so F pictures take exactly 1,000 ms.
#pragma once
#include <cstdint>

namespace engine {

struct PacingState {
  uint32_t last_shown = 0;  // tick of the last picture shown; 0 before the first
  uint32_t cadence = 0;     // pictures since the last longer interval
};

struct PacingDecision {
  bool show;
  uint32_t show_at;  // tick to wait for before showing; at or before now: at once
};

// Decides for the picture at tick `now`. A late picture is skipped at delay
// index 0 (and the schedule starts again with the next) and shown at once
// otherwise; an early one waits for its tick. Updates the state.
PacingDecision Pace(PacingState& state, uint32_t now, uint32_t frame_rate, int delay_index);

}  // namespace engine
