// Motion in a region of one camera's pictures over a recording, decoded as
// playback decodes them: the key pictures first, then the groups of
// pictures where they show motion (search_plan.h). Motion that comes and
// goes between two key pictures can be missed. Both runs go by the
// recording's index, so segments it leaves out as damaged are not searched;
// capture times come from it too, which stamps every picture in order as
// the decode stage does when it decodes them all.
#pragma once
#include <cstdint>
#include <string>

#include "motion_intervals.h"
#include "region_watch.h"

namespace am4search {

struct SearchRequest {
  std::wstring source;
  WatchSettings watch;
  int64_t from_ms = INT64_MIN, to_ms = INT64_MAX;  // only pictures captured in [from, to) are searched
};

// An interval of motion and where it lies in the file.
struct FoundInterval {
  search::MotionInterval motion;       // pictures counted from 0 over the whole recording, as decoded
  uint32_t first_offset;               // the header offset of its first picture's segment
  uint32_t last_end;                   // just past its last picture's segment
  uint32_t first_timestamp;            // of its first picture, 90 kHz
};

// Told of the search as it goes; called on the searching thread.
class SearchListener {
 public:
  // Asked at every sector a read passes: false stops the search.
  virtual bool KeepGoing() = 0;
  // The share of the work done, 0-1000.
  virtual void Progress(int permille) = 0;
  // Each interval as it closes, in recording order.
  virtual void Found(const FoundInterval& interval) = 0;

 protected:
  ~SearchListener() = default;
};

enum class SearchOutcome { kSearched, kNotRecording, kRefused, kUnplayable, kStopped };

struct SearchSummary {
  SearchOutcome outcome = SearchOutcome::kSearched;
  std::string refusal;              // why, when kRefused
  int64_t searched = 0, decoded = 0;  // pictures in range, pictures decoded
};

SearchSummary SearchRecording(const SearchRequest& request, SearchListener& listener);

}  // namespace am4search
