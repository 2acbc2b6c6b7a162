#include "recording_search.h"

#include <algorithm>
#include <vector>

#include "file_io.h"
#include "recording_frames.h"
#include "recording_index.h"
#include "search_plan.h"

namespace am4search {
namespace {

// The three reads of the file, each a share of the progress: the index, the
// survey of key pictures, the groups decoded whole. The whole is told only
// once the search has told everything it found.
constexpr int kPhaseEnds[] = {100, 550, 1000};

// The listener asked at every sector, and told how far the read is.
class Reads : public backup::SearchObserver {
 public:
  Reads(SearchListener& listener, const backup::RecordingInfo& info) : listener_(listener), info_(info) {}

  void StartPhase(int phase) { phase_ = phase; }
  bool Stopped() const { return stopped_; }

  bool OnSearchPosition(uint32_t position) override {
    const uint64_t span = std::max<uint32_t>(info_.SpanLength(), 1);
    const uint64_t from_first = position > info_.first_header_offset ? position - info_.first_header_offset : 0;
    const int begin = phase_ ? kPhaseEnds[phase_ - 1] : 0;
    const int in_phase = static_cast<int>((kPhaseEnds[phase_] - begin) * std::min(from_first, span) / span);
    const int permille = std::min(begin + in_phase, kPhaseEnds[2] - 1);
    if (permille != reported_) listener_.Progress(reported_ = permille);
    stopped_ = stopped_ || !listener_.KeepGoing();
    return !stopped_;
  }

 private:
  SearchListener& listener_;
  const backup::RecordingInfo& info_;
  int phase_ = 0, reported_ = -1;
  bool stopped_ = false;
};

// The survey's run: key pictures of the segments it looks at.
bool RunSurvey(const SearchRequest& request, const am4export::RecordingIndex& index, Survey& survey,
               RegionWatch& watch, int64_t& decoded, Reads& reads) {
  am4export::PictureMatcher matcher(index);
  return am4frames::DecodeRecording(
      request.source.c_str(), -1,
      [&](int, const engine::PictureEntry& p) {
        ++decoded;
        const int share = watch.Share(p);
        survey.Saw(matcher.Next(p.timestamp), share > 0);
      },
      [&](uint32_t offset) {
        return survey.Look(offset) ? am4frames::SegmentDecode::kKeyFrames : am4frames::SegmentDecode::kNothing;
      },
      &reads);
}

// The search's run: every picture of the marked groups, each picture with
// motion captured in [from, to) into an interval, told as it closes. The
// intervals are joined by index picture; the listener gets the pictures as
// decoded, and where they lie in the file.
bool RunMarked(const SearchRequest& request, const am4export::RecordingIndex& index, const GroupSet& marked,
               int64_t& decoded, Reads& reads, SearchListener& listener) {
  const std::vector<uint32_t> segments = SegmentsOf(index, marked);
  RegionWatch watch(request.watch);
  am4export::PictureMatcher matcher(index);
  search::IntervalJoiner joiner;
  std::vector<int> number_of(index.pictures.size(), -1);  // of each index picture, its decoded number
  const auto tell = [&](const std::optional<search::MotionInterval>& closed) {
    if (!closed) return;
    const am4export::IndexedPicture &first = index.pictures[closed->first], &last = index.pictures[closed->last];
    search::MotionInterval motion = *closed;
    motion.first = number_of[closed->first];
    motion.last = number_of[closed->last];
    listener.Found({motion, index.segments[first.segment].offset, index.segments[last.segment].end, first.timestamp});
  };
  int previous = -2;
  const bool played = am4frames::DecodeRecording(
      request.source.c_str(), -1,
      [&](int number, const engine::PictureEntry& p) {
        if (number != previous + 1) watch.Restart();  // after groups not decoded
        previous = number;
        ++decoded;
        const int share = watch.Share(p);
        const int64_t indexed = matcher.Next(p.timestamp);  // found: only the index's groups are decoded
        if (share < 0 || indexed < 0) return;
        number_of[indexed] = number;
        const int64_t ms = am4export::CaptureMilliseconds(index.pictures[indexed]);
        if (ms < request.from_ms || ms >= request.to_ms) return;
        tell(joiner.Add(indexed, ms, share));
      },
      [&](uint32_t offset) {
        return std::binary_search(segments.begin(), segments.end(), offset) ? am4frames::SegmentDecode::kAll
                                                                           : am4frames::SegmentDecode::kNothing;
      },
      &reads);
  if (!reads.Stopped()) tell(joiner.Finish());
  return played;
}

}  // namespace

SearchSummary SearchRecording(const SearchRequest& request, SearchListener& listener) {
  SearchSummary summary;
  backup::RecordingInfo info;
  backup::FileIO file;
  if (backup::ClassifyFile(request.source.c_str()) != 3 || !backup::ProbeRecording(request.source.c_str(), info) ||
      !file.Open(request.source.c_str(), 1)) {
    summary.outcome = SearchOutcome::kNotRecording;
    return summary;
  }
  Reads reads(listener, info);
  const am4export::RecordingIndex index = am4export::IndexRecording(file, info, &reads);
  const auto stopped = [&] {
    if (reads.Stopped()) summary.outcome = SearchOutcome::kStopped;
    return reads.Stopped();
  };
  if (stopped()) return summary;
  Survey survey(index, GroupsInRange(index, request.from_ms, request.to_ms, summary.searched));
  RegionWatch survey_watch(request.watch);
  reads.StartPhase(1);
  const bool played = RunSurvey(request, index, survey, survey_watch, summary.decoded, reads);
  if (stopped()) return summary;
  if (!survey_watch.Refusal().empty()) {
    summary.outcome = SearchOutcome::kRefused;
    summary.refusal = survey_watch.Refusal();
    return summary;
  }
  reads.StartPhase(2);
  if (!played || !RunMarked(request, index, survey.Marked(), summary.decoded, reads, listener)) {
    summary.outcome = SearchOutcome::kUnplayable;
    return summary;
  }
  stopped();
  if (summary.outcome == SearchOutcome::kSearched) listener.Progress(kPhaseEnds[2]);
  return summary;
}

}  // namespace am4search
