#include "still_picture.h"

#include <cstdlib>

#include "ledger.h"

namespace still {

bool ParseStillTime(const std::string& text, int64_t& ms) {
  backup::CaptureTime t;
  const size_t n = backup::kCaptureTimeTextLength;
  if (text.size() != n && text.size() != n + 4) return false;
  if (!backup::ParseCaptureTime(text.substr(0, n).c_str(), t)) return false;
  int64_t fraction = 0;
  if (text.size() == n + 4) {
    if (text[n] != '.') return false;
    for (size_t i = n + 1; i < text.size(); ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      fraction = fraction * 10 + (text[i] - '0');
    }
  }
  ms = backup::CalendarSeconds(t) * 1000 + fraction;
  return true;
}

int64_t PictureAt(const am4export::RecordingIndex& index, int64_t ms) {
  const auto& pictures = index.pictures;
  for (size_t p = 0; p < pictures.size(); ++p) {
    const int64_t at = am4export::CaptureMilliseconds(pictures[p]);
    const int64_t until = p + 1 < pictures.size() ? am4export::CaptureMilliseconds(pictures[p + 1])
                                                  : at + 1000 / pictures[p].frame_rate;
    if (at <= ms && ms < until) return static_cast<int64_t>(p);
  }
  return -1;
}

}  // namespace still
