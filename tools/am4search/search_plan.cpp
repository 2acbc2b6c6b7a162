#include "search_plan.h"

#include <algorithm>

#include "ledger.h"

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

}  // namespace am4search
