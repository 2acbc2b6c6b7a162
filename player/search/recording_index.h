// What an export and a motion search take from a backup file: its segments
// read the way playback reads them, every picture with its capture time as
// the decode stage stamps it, the sound, and the groups of pictures (a key
// frame and the frames up to the next) by which a time range is chosen.
#pragma once
#include <cstdint>
#include <vector>

#include "backup_format.h"
#include "capture_time.h"
#include "recording.h"

namespace am4export {

struct IndexedSegment {
  uint32_t offset;          // of its header
  uint32_t end;             // just past its data sectors
  uint32_t payload_length;  // bytes of boxes behind the header
  backup::ParameterSetStore sets;
};

struct IndexedPicture {
  uint32_t segment;     // in RecordingIndex::segments
  uint32_t at, size;    // its NAL units: offset in the segment's payload, length
  uint32_t timestamp;   // 90 kHz ticks
  uint32_t frame_rate;  // of its segment
  bool key;
  bool after_damage;         // the first picture after a skipped segment
  backup::CaptureTime time;  // to the second
  int64_t second;            // the same, in seconds since 1970
  uint32_t millisecond;      // its place in that second: pictures before it / frame rate
};

struct IndexedSound {
  uint32_t segment;
  uint32_t at, size;   // its mu-law bytes in the segment's payload
  uint32_t timestamp;  // 90 kHz ticks
  uint32_t group;      // the group of pictures it is played with
};

struct RecordingIndex {
  std::vector<IndexedSegment> segments;  // only those that can be exported
  std::vector<IndexedPicture> pictures;
  std::vector<uint32_t> group_starts;  // each group's key frame in `pictures`
  std::vector<IndexedSound> sounds;
  std::vector<uint32_t> damaged;  // header offsets of the segments skipped

  uint32_t GroupEnd(uint32_t group) const {
    return group + 1 < group_starts.size() ? group_starts[group + 1] : static_cast<uint32_t>(pictures.size());
  }
};

// Reads the recording's segments forwards from its first header to its
// last. A segment is skipped as damaged when its payload cannot be read, its
// header has no parameter sets or no usable frame rate, a box is malformed,
// a video frame's NAL units do not fill its box exactly, or its pictures
// cannot be decoded because no group is open (it does not begin with a key
// frame and the segment before it was skipped).
// A `stop` that answers false ends the reading early, with what was indexed so far.
RecordingIndex IndexRecording(backup::ByteSource& source, const backup::RecordingInfo& info,
                              backup::SearchObserver* stop = nullptr);

// A picture's capture time in milliseconds since 1970.
inline int64_t CaptureMilliseconds(const IndexedPicture& p) { return p.second * 1000 + p.millisecond; }

// Pairs the pictures playback decodes, in order, with the index's pictures:
// each with the next picture of the index that carries its timestamp.
class PictureMatcher {
 public:
  explicit PictureMatcher(const RecordingIndex& index) : index_(index) {}
  // The index picture of the next decoded picture; -1 when none is left.
  int64_t Next(uint32_t timestamp);

 private:
  const RecordingIndex& index_;
  size_t next_ = 0;
};

// Consecutive groups [first, first + count).
struct GroupRange {
  uint32_t first = 0, count = 0;
};

// The groups from the first to the last that has a picture captured in
// [from, to) (seconds since 1970). False when none has.
bool SelectGroups(const RecordingIndex& index, int64_t from, int64_t to, GroupRange& range);

}  // namespace am4export
