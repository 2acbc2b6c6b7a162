#include "search_plan.h"

#include <algorithm>

#include "recording_index.h"

namespace am4search {

GroupSet GroupsInRange(const am4export::RecordingIndex& index, int64_t from_ms, int64_t to_ms, int64_t& pictures) {
  GroupSet groups(index.group_starts.size(), false);
  pictures = 0;
  for (uint32_t g = 0; g < groups.size(); ++g) {
    for (uint32_t p = index.group_starts[g]; p < index.GroupEnd(g); ++p) {
      const int64_t ms = am4export::CaptureMilliseconds(index.pictures[p]);
      if (ms < from_ms || ms >= to_ms) continue;
      groups[g] = true;
      ++pictures;
    }
  }
  return groups;
}

std::vector<uint32_t> SegmentsOf(const am4export::RecordingIndex& index, const GroupSet& groups) {
  std::vector<uint32_t> offsets;
  for (uint32_t g = 0; g < groups.size() && g < index.group_starts.size(); ++g) {
    if (!groups[g]) continue;
    for (uint32_t p = index.group_starts[g]; p < index.GroupEnd(g); ++p)
      offsets.push_back(index.segments[index.pictures[p].segment].offset);
  }
  std::sort(offsets.begin(), offsets.end());
  offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
  return offsets;
}

uint32_t GroupOf(const am4export::RecordingIndex& index, int64_t picture) {
  const auto after = std::upper_bound(index.group_starts.begin(), index.group_starts.end(), picture);
  return after == index.group_starts.begin() ? 0 : static_cast<uint32_t>(after - index.group_starts.begin() - 1);
}

Survey::Survey(const am4export::RecordingIndex& index, const GroupSet& in_range)
    : index_(index), in_range_(in_range), marked_(in_range.size(), false) {
  for (uint32_t g = 0; g < index.group_starts.size(); ++g) {
    for (uint32_t p = index.group_starts[g]; p < index.GroupEnd(g); ++p) {
      const auto [at, added] = groups_.try_emplace(index.segments[index.pictures[p].segment].offset, g, g);
      at->second.second = g;
    }
  }
}

bool Survey::Look(uint32_t offset) {
  const auto at = groups_.find(offset);
  if (at == groups_.end()) return false;
  const auto [first, last] = at->second;
  if (std::none_of(in_range_.begin() + first, in_range_.begin() + last + 1, [](bool in) { return in; })) return false;
  if (coast_ == 0) return true;
  --coast_;
  for (uint32_t g = first; g <= last; ++g) Mark(g);
  return false;
}

void Survey::Saw(int64_t picture, bool moved) {
  if (!moved || picture < 0 || static_cast<size_t>(picture) >= index_.pictures.size()) return;
  const uint32_t group = GroupOf(index_, picture);
  Mark(group);
  if (group > 0) Mark(group - 1);
  coast_ = kCoastSegments;
}

}  // namespace am4search
