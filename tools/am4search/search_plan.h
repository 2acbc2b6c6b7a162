// Which pictures a motion search decodes, in terms of the recording's index:
// groups of pictures (a key frame and the frames up to the next) and the
// segments that hold them. Portable.
#pragma once
#include <cstdint>
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

}  // namespace am4search
