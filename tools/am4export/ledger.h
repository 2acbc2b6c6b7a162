// The per-picture timing ledger beside an export (OUT.mp4.frames.csv): for
// every picture its source segment, its capture time as the decode stage
// stamps it, its place and length in the movie, its sample's size and
// digest, and flags where the capture times do not run as they should.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "export_movie.h"

namespace am4export {

extern const char kLedgerHeader[];  // the first line, without its line end

// What a picture's capture time does after the picture before it in the
// export (nothing for the first): gap (it moves on by more than one and a
// half picture intervals), repeat (it does not move on), back (it goes
// back); and after_damage, the first picture after a skipped segment.
struct TimingFlags {
  bool gap = false, repeat = false, back = false, after_damage = false;
};
TimingFlags PictureFlags(const IndexedPicture* previous, const IndexedPicture& picture);
// The flags set, joined by '|'; empty when none is.
std::string FlagsText(const TimingFlags& flags);

struct FlagCounts {
  uint32_t gap = 0, repeat = 0, back = 0, after_damage = 0;
};

// The capture time to the millisecond: "YYYY-MM-DD hh:mm:ss.mmm".
std::string PictureTime(const IndexedPicture& picture);

// The ledger of the exported pictures; `digests` has one per picture, as
// WriteExport gave them. Counts the flags into `counts`.
std::string LedgerText(const RecordingIndex& index, const ExportPlan& plan, const std::vector<std::string>& digests,
                       FlagCounts& counts);

}  // namespace am4export
