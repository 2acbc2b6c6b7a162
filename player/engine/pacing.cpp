#include "pacing.h"

namespace engine {

PacingDecision Pace(PacingState& s, uint32_t now, uint32_t frame_rate, int delay_index) {
  if (s.last_shown == 0 || frame_rate == 0) {
    s.last_shown = now;
    return {true, now};
  }
  if (now < s.last_shown) s.last_shown = now;
  const uint32_t elapsed = now - s.last_shown;
  uint32_t period = 1000 / frame_rate;
  if (1000 % frame_rate != 0) {
    if (s.cadence % frame_rate == 0) {
      s.cadence = 0;
      period += 1000 % frame_rate;  // once per frame rate's worth of pictures
    }
    ++s.cadence;
  }
  if (elapsed > period) {
    const uint32_t lateness = elapsed - period;
    now -= lateness > period ? lateness : lateness % period;
    if (delay_index == 0) {
      s.last_shown = 0;  // skipped: the next picture starts the schedule again
      return {false, now};
    }
    s.last_shown = now;
    return {true, now};
  }
  now += period - elapsed;  // wait for the picture's tick
  s.last_shown = now;
  return {true, now};
}

}  // namespace engine
