// Which pictures a motion search decodes, in terms of the recording's index:
// groups of pictures (a key frame and the frames up to the next) and the
// segments that hold them. Portable.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "recording_index.h"

namespace am4search {

using GroupSet = std::vector<bool>;  // one per group of the index

// The groups with a picture captured in [from_ms, to_ms), and how many such pictures there are.
GroupSet GroupsInRange(const am4export::RecordingIndex& index, int64_t from_ms, int64_t to_ms, int64_t& pictures);

// The header offsets of the segments that hold the groups, sorted.
std::vector<uint32_t> SegmentsOf(const am4export::RecordingIndex& index, const GroupSet& groups);

// The group of a picture of the index.
uint32_t GroupOf(const am4export::RecordingIndex& index, int64_t picture);

// The first run through the recording: the key pictures of the groups in
// range, segment by segment. A group is marked to be decoded whole when its
// key picture shows motion, and so is the group before it, where the motion
// began. After motion the next kCoastSegments are marked without a look at
// their key pictures: where motion goes on, the survey costs little more
// than the whole decoding it leads to.
class Survey {
 public:
  static constexpr int kCoastSegments = 4;

  Survey(const am4export::RecordingIndex& index, const GroupSet& in_range);

  // Whether the key pictures of the segment with its header at `offset` are decoded.
  bool Look(uint32_t offset);
  // A key picture decoded (its place in the index), and whether the region moved in it.
  void Saw(int64_t picture, bool moved);
  const GroupSet& Marked() const { return marked_; }

 private:
  void Mark(uint32_t group) { marked_[group] = in_range_[group]; }

  const am4export::RecordingIndex& index_;
  const GroupSet in_range_;
  GroupSet marked_;
  std::unordered_map<uint32_t, std::pair<uint32_t, uint32_t>> groups_;  // of a segment's offset: first, last
  int coast_ = 0;  // segments still to mark unseen
};

}  // namespace am4search
