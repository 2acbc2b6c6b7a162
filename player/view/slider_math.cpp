#include "slider_math.h"

namespace view {

ThumbPlacement PlaceThumb(Span track, Span thumb, int x) {
  const int w = thumb.right - thumb.left, half = w / 2;
  if (x & 0xF000) return {thumb, thumb.left};
  if (x < track.left + half) return {{track.left, track.left + w}, track.left};
  if (x > track.right - w) return {{track.right - w, track.right}, track.right - w};
  return {{x - half, x + half}, x};
}

int SliderOffset(int track_width, uint32_t position, uint32_t total) {
  if (total == 0) return 0;
  return int(int64_t(track_width) * position / total);
}

double SeekFraction(Span track, int x) {
  if (track.right <= track.left) return 0;
  const double f = double(x - track.left) / double(track.right - track.left);
  return f < 0 ? 0 : f > 1 ? 1 : f;
}

}  // namespace view
