#include "ledger.h"

#include <cinttypes>
#include <cstdio>

namespace am4export {

const char kLedgerHeader[] = "picture,segment_offset,capture_time,pts_s,duration_s,key,size,sha256,flags";

namespace {

// Video ticks as seconds with six decimals, rounded to the microsecond.
std::string Seconds(uint64_t ticks) {
  const uint64_t us = (ticks * 200 + 9) / 18;  // ticks * 1e6 / 90000, rounded
  char text[32];
  std::snprintf(text, sizeof text, "%" PRIu64 ".%06" PRIu64, us / 1000000, us % 1000000);
  return text;
}

}  // namespace

std::string PictureTime(const IndexedPicture& picture) {
  return backup::FormatCaptureTime(picture.time, picture.millisecond);
}

TimingFlags PictureFlags(const IndexedPicture* previous, const IndexedPicture& picture) {
  TimingFlags flags;
  if (previous) {
    const int64_t step = CaptureMilliseconds(picture) - CaptureMilliseconds(*previous);
    flags.gap = step * 2 * picture.frame_rate > 3000;  // more than 1.5 intervals of 1000 / rate ms
    flags.repeat = step == 0;
    flags.back = step < 0;
  }
  flags.after_damage = picture.after_damage;
  return flags;
}

std::string FlagsText(const TimingFlags& flags) {
  std::string text;
  for (const auto& [set, name] : {std::pair{flags.gap, "gap"}, std::pair{flags.repeat, "repeat"},
                                  std::pair{flags.back, "back"}, std::pair{flags.after_damage, "after_damage"}})
    if (set) text += (text.empty() ? "" : "|") + std::string(name);
  return text;
}

std::string LedgerText(const RecordingIndex& index, const ExportPlan& plan, const std::vector<std::string>& digests,
                       FlagCounts& counts) {
  counts = {};
  std::string out = std::string(kLedgerHeader) + "\n";
  const std::vector<mp4::SampleRun>& samples = plan.movie.tracks[0].runs;  // one a picture
  uint64_t pts = 0;
  for (uint32_t p = plan.first_picture; p < plan.end_picture; ++p) {
    const uint32_t row = p - plan.first_picture;
    const IndexedPicture& picture = index.pictures[p];
    const mp4::SampleRun& sample = samples[row];
    const TimingFlags flags = PictureFlags(row > 0 ? &index.pictures[p - 1] : nullptr, picture);
    counts.gap += flags.gap;
    counts.repeat += flags.repeat;
    counts.back += flags.back;
    counts.after_damage += flags.after_damage;
    out += std::to_string(row) + "," + std::to_string(index.segments[picture.segment].offset) + "," +
           PictureTime(picture) + "," + Seconds(pts) + "," + Seconds(sample.duration) + "," +
           (picture.key ? "1" : "0") + "," + std::to_string(sample.size) + "," +
           (row < digests.size() ? digests[row] : std::string()) + "," + FlagsText(flags) + "\n";
    pts += sample.duration;
  }
  return out;
}

}  // namespace am4export
