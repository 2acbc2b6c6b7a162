// am4search FILE [--camera 1-4] [--region X,Y,W,H] [--from TIME] [--to TIME]
//            [--sensitivity 1-10]:
// motion in a region of one camera's pictures, decoded as playback decodes
// them. One line per interval of motion, in recording order:
//   interval FIRST LAST "YYYY-MM-DD hh:mm:ss.mmm" "YYYY-MM-DD hh:mm:ss.mmm" PEAK
// pictures counted from 0 over the whole recording as am4frames counts
// them, their capture times, and the largest share of the region (0-100)
// that moved. The region is in the camera's own pixels (default: all of
// them); only pictures captured in [from, to) are searched. The key pictures
// are decoded first, then the groups of pictures where they show motion. A
// summary goes to standard error.
// Exit status 0 searched, 1 refused, 2 usage.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>

#include "capture_time.h"
#include "export_files.h"
#include "ledger.h"
#include "recording_frames.h"
#include "region_watch.h"
#include "search_plan.h"
#include "still_picture.h"

namespace {

using namespace am4search;

const char kUsage[] =
    "usage: am4search FILE [--camera 1-4] [--region X,Y,W,H] [--from \"YYYY-MM-DD hh:mm:ss\"]\n"
    "                 [--to \"YYYY-MM-DD hh:mm:ss\"] [--sensitivity 1-10]\n";
constexpr int kMaxCoordinate = 65535;

struct SearchRequest {
  std::wstring source;
  WatchSettings watch;
  int64_t from_ms = INT64_MIN, to_ms = INT64_MAX;
};

std::string TimeText(int64_t ms) {
  return backup::FormatCaptureTime(backup::FromCalendarSeconds(ms / 1000), static_cast<uint32_t>(ms % 1000));
}

void PrintInterval(const search::MotionInterval& i) {
  std::printf("interval %lld %lld \"%s\" \"%s\" %d\n", static_cast<long long>(i.first), static_cast<long long>(i.last),
              TimeText(i.first_ms).c_str(), TimeText(i.last_ms).c_str(), i.peak);
}

// The survey's run: key pictures of the segments it looks at. False when
// the file cannot be played.
bool RunSurvey(const SearchRequest& request, const am4export::RecordingIndex& index, Survey& survey,
               RegionWatch& watch, int64_t& decoded) {
  still::PictureMatcher matcher(index);
  return am4frames::DecodeRecording(
      request.source.c_str(), -1,
      [&](int, const engine::PictureEntry& p) {
        ++decoded;
        const int share = watch.Share(p);
        survey.Saw(matcher.Next(p.timestamp), share > 0);
      },
      [&](uint32_t offset) {
        return survey.Look(offset) ? am4frames::SegmentDecode::kKeyFrames : am4frames::SegmentDecode::kNothing;
      });
}

// The search's run: every picture of the marked groups, each picture with
// motion captured in [from, to) into an interval, printed as it closes.
bool RunMarked(const SearchRequest& request, const am4export::RecordingIndex& index, const GroupSet& marked,
               int64_t& decoded) {
  const std::vector<uint32_t> segments = SegmentsOf(index, marked);
  RegionWatch watch(request.watch);
  still::PictureMatcher matcher(index);
  search::IntervalJoiner joiner;
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
        const int64_t ms = am4export::CaptureMilliseconds(index.pictures[indexed]);
        if (ms < request.from_ms || ms >= request.to_ms) return;
        if (auto closed = joiner.Add(number, ms, share)) PrintInterval(*closed);
      },
      [&](uint32_t offset) {
        return std::binary_search(segments.begin(), segments.end(), offset) ? am4frames::SegmentDecode::kAll
                                                                           : am4frames::SegmentDecode::kNothing;
      });
  if (auto closed = joiner.Finish()) PrintInterval(*closed);
  return played;
}

// Two runs through the recording: the survey decodes key pictures and marks
// groups (search_plan.h); the search decodes the marked groups whole. Motion
// that comes and goes between two key pictures can be missed. Both go by the
// recording's index, so segments it leaves out as damaged are not searched;
// capture times come from it too, which stamps every picture in order as the
// decode stage does when it decodes them all.
int RunSearch(const SearchRequest& request) {
  const auto started = std::chrono::steady_clock::now();
  const std::string source_name = win32::ToUtf8(request.source);
  backup::RecordingInfo info;
  backup::FileIO file;
  if (!am4export::OpenRecording(request.source, info, file)) {
    std::fprintf(stderr, "am4search: %s is not a backup file with a recording\n", source_name.c_str());
    return 1;
  }
  const am4export::RecordingIndex index = am4export::IndexRecording(file, info);
  int64_t searched = 0, decoded = 0;
  Survey survey(index, GroupsInRange(index, request.from_ms, request.to_ms, searched));
  RegionWatch survey_watch(request.watch);
  const bool played = RunSurvey(request, index, survey, survey_watch, decoded);
  if (!survey_watch.Refusal().empty()) {
    std::fprintf(stderr, "am4search: %s\n", survey_watch.Refusal().c_str());
    return 1;
  }
  if (!played || !RunMarked(request, index, survey.Marked(), decoded)) {
    std::fprintf(stderr, "am4search: %s cannot be played\n", source_name.c_str());
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fprintf(stderr, "am4search: %lld pictures searched (%lld decoded) in %.2f s, %.1f pictures/s\n",
               static_cast<long long>(searched), static_cast<long long>(decoded), seconds,
               seconds > 0 ? searched / seconds : 0.0);
  return 0;
}

// A whole number in [low, high] that is all of `text`.
bool ParseNumber(const std::wstring& text, int low, int high, int& out) {
  wchar_t* end = nullptr;
  const long long n = std::wcstoll(text.c_str(), &end, 10);
  if (text.empty() || text[0] < L'0' || text[0] > L'9' || *end != L'\0' || n < low || n > high) return false;
  out = static_cast<int>(n);
  return true;
}

bool ParseRegion(const std::wstring& text, search::Region& region) {
  int values[4];
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t comma = i < 3 ? text.find(L',', at) : text.size();
    if (comma == std::wstring::npos || !ParseNumber(text.substr(at, comma - at), i < 2 ? 0 : 1, kMaxCoordinate, values[i]))
      return false;
    at = comma + 1;
  }
  region = {values[0], values[1], values[2], values[3]};
  return true;
}

bool ParseTime(const std::wstring& text, int64_t& ms) {
  backup::CaptureTime t;
  if (!backup::ParseCaptureTime(win32::ToUtf8(text).c_str(), t)) return false;
  ms = backup::CalendarSeconds(t) * 1000;
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SearchRequest request;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const std::wstring value = i + 1 < argc ? argv[i + 1] : L"";
    bool valid = i + 1 < argc;
    if (arg == L"--camera") {
      valid = valid && ParseNumber(value, 1, 4, request.watch.camera);
    } else if (arg == L"--region") {
      search::Region region{};
      valid = valid && ParseRegion(value, region);
      request.watch.region = region;
    } else if (arg == L"--from" || arg == L"--to") {
      valid = valid && ParseTime(value, arg == L"--from" ? request.from_ms : request.to_ms);
    } else if (arg == L"--sensitivity") {
      valid = valid && ParseNumber(value, search::kMinSensitivity, search::kMaxSensitivity, request.watch.sensitivity);
    } else if (arg.rfind(L"-", 0) != 0 && request.source.empty()) {
      request.source = arg;
      continue;
    } else {
      valid = false;
    }
    if (!valid) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    ++i;
  }
  if (request.to_ms <= request.from_ms) {
    std::fputs("am4search: --to must come after --from\n", stderr);
    return 2;
  }
  if (request.source.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return RunSearch(request);
}
