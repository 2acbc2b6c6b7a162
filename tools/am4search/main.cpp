// am4search FILE [--camera 1-4] [--region X,Y,W,H] [--from TIME] [--to TIME]
//            [--sensitivity 1-10]:
// motion in a region of one camera's pictures, decoded as playback decodes
// them. One line per interval of motion, in recording order:
//   interval FIRST LAST "YYYY-MM-DD hh:mm:ss.mmm" "YYYY-MM-DD hh:mm:ss.mmm" PEAK
// pictures counted from 0 over the whole recording as am4frames counts
// them, their capture times, and the largest share of the region (0-100)
// that moved. The region is in the camera's own pixels (default: all of
// them); only pictures captured in [from, to) are searched, and only the
// segments that hold them are decoded. A summary goes to standard error.
// Exit status 0 searched, 1 refused, 2 usage.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>

#include "capture_time.h"
#include "export_files.h"
#include "ledger.h"
#include "motion_detector.h"
#include "motion_intervals.h"
#include "recording_frames.h"
#include "recording_index.h"
#include "still_picture.h"
#include "still_png.h"

namespace {

const char kUsage[] =
    "usage: am4search FILE [--camera 1-4] [--region X,Y,W,H] [--from \"YYYY-MM-DD hh:mm:ss\"]\n"
    "                 [--to \"YYYY-MM-DD hh:mm:ss\"] [--sensitivity 1-10]\n";
constexpr int kMaxCoordinate = 65535;

struct SearchRequest {
  std::wstring source;
  int camera = 1;
  std::optional<search::Region> region;  // default: the camera's whole picture
  int64_t from_ms = INT64_MIN, to_ms = INT64_MAX;
  int sensitivity = search::kDefaultSensitivity;
};

// The header offsets, in order, of the segments that hold the groups of
// pictures with a picture captured in [from_ms, to_ms).
std::vector<uint32_t> SegmentsToDecode(const am4export::RecordingIndex& index, int64_t from_ms, int64_t to_ms) {
  std::vector<uint32_t> offsets;
  for (uint32_t g = 0; g < index.group_starts.size(); ++g) {
    const auto first = index.pictures.begin() + index.group_starts[g], end = index.pictures.begin() + index.GroupEnd(g);
    if (std::none_of(first, end, [&](const am4export::IndexedPicture& p) {
          const int64_t ms = am4export::CaptureMilliseconds(p);
          return ms >= from_ms && ms < to_ms;
        }))
      continue;
    for (auto p = first; p != end; ++p) offsets.push_back(index.segments[p->segment].offset);
  }
  std::sort(offsets.begin(), offsets.end());
  offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
  return offsets;
}

std::string TimeText(int64_t ms) {
  return engine::FormatCaptureTime(engine::FromCalendarSeconds(ms / 1000), static_cast<uint32_t>(ms % 1000));
}

void PrintInterval(const search::MotionInterval& i) {
  std::printf("interval %lld %lld \"%s\" \"%s\" %d\n", static_cast<long long>(i.first), static_cast<long long>(i.last),
              TimeText(i.first_ms).c_str(), TimeText(i.last_ms).c_str(), i.peak);
}

// The search over the pictures of one run through the recording. Capture
// times come from the recording's index, which stamps every picture in
// order as the decode stage does when it decodes them all.
class Search {
 public:
  Search(const SearchRequest& request, const am4export::RecordingIndex& index)
      : request_(request),
        index_(index),
        matcher_(index),
        segments_(SegmentsToDecode(index, request.from_ms, request.to_ms)) {}

  // Segments with pictures of [from, to); none once refused.
  bool Wanted(uint32_t offset) const {
    return refusal_.empty() && std::binary_search(segments_.begin(), segments_.end(), offset);
  }

  void Picture(int number, const engine::PictureEntry& p) {
    const int64_t ms = CaptureMs(p);
    const int width = p.bitmap_info.header.width, height = -p.bitmap_info.header.height;
    if (!refusal_.empty() || ms < request_.from_ms || ms >= request_.to_ms || width < 4 || height < 4 ||
        uint64_t{3} * width * height > engine::kPictureBytes)
      return;
    const still::Rect camera = still::CameraRect(request_.camera, width, height);
    if ((!detector_ || camera.width != camera_.width || camera.height != camera_.height) && !Start(camera)) return;
    search::HalfLumaOfBgr(p.pixels, width * 3, camera.x, camera.y, camera.width, camera.height, luma_);
    const auto& moved = detector_->Update({luma_.data(), detector_->Width(), detector_->Height(), detector_->Width()});
    if (auto closed = joiner_.Add(number, ms, search::MovedShare(region_blocks_, moved))) PrintInterval(*closed);
    ++searched_;
  }

  void Finish() {
    if (auto closed = joiner_.Finish()) PrintInterval(*closed);
  }

  const std::string& Refusal() const { return refusal_; }
  int64_t Searched() const { return searched_; }

 private:
  // From the index; from the decode stage's stamp for a picture the index left out.
  int64_t CaptureMs(const engine::PictureEntry& p) {
    const int64_t indexed = matcher_.Next(p.timestamp);
    if (indexed >= 0) return am4export::CaptureMilliseconds(index_.pictures[indexed]);
    return engine::CalendarSeconds(p.capture_time) * 1000 + p.in_second * 1000 / std::max(p.frame_rate, 1u);
  }

  // A detector for the camera's pictures at this size, at half of it.
  bool Start(const still::Rect& camera) {
    const search::Region region = request_.region.value_or(search::Region{0, 0, camera.width, camera.height});
    if (region.x + region.width > camera.width || region.y + region.height > camera.height) {
      refusal_ = "the region lies outside camera " + std::to_string(request_.camera) + "'s " +
                 std::to_string(camera.width) + " x " + std::to_string(camera.height) + " picture";
      return false;
    }
    camera_ = camera;
    detector_ = std::make_unique<search::MotionDetector>(camera.width / 2, camera.height / 2, request_.sensitivity);
    region_blocks_ = search::RegionBlocks(search::HalfRegion(region), detector_->BlocksAcross(), detector_->BlocksDown());
    return true;
  }

  const SearchRequest& request_;
  const am4export::RecordingIndex& index_;
  still::PictureMatcher matcher_;
  const std::vector<uint32_t> segments_;  // sorted
  still::Rect camera_{};
  std::unique_ptr<search::MotionDetector> detector_;
  std::vector<int> region_blocks_;
  search::IntervalJoiner joiner_;
  std::vector<uint8_t> luma_;
  std::string refusal_;
  int64_t searched_ = 0;
};

int RunSearch(const SearchRequest& request) {
  const auto started = std::chrono::steady_clock::now();
  backup::RecordingInfo info;
  backup::FileIO file;
  const bool opened = am4export::OpenRecording(request.source, info, file);
  const am4export::RecordingIndex index = opened ? am4export::IndexRecording(file, info) : am4export::RecordingIndex{};
  Search search(request, index);
  if (!opened || !am4frames::DecodeRecording(
                     request.source.c_str(), -1,
                     [&](int number, const engine::PictureEntry& p) { search.Picture(number, p); },
                     [&](uint32_t offset) { return search.Wanted(offset); })) {
    std::fprintf(stderr, "am4search: %s is not a playable backup file\n", am4export::Utf8(request.source).c_str());
    return 1;
  }
  if (!search.Refusal().empty()) {
    std::fprintf(stderr, "am4search: %s\n", search.Refusal().c_str());
    return 1;
  }
  search.Finish();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fprintf(stderr, "am4search: %lld pictures searched in %.2f s, %.1f pictures/s\n",
               static_cast<long long>(search.Searched()), seconds, seconds > 0 ? search.Searched() / seconds : 0.0);
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
  engine::CaptureTime t;
  if (!engine::ParseCaptureTime(am4export::Utf8(text).c_str(), t)) return false;
  ms = engine::CalendarSeconds(t) * 1000;
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
      valid = valid && ParseNumber(value, 1, 4, request.camera);
    } else if (arg == L"--region") {
      search::Region region{};
      valid = valid && ParseRegion(value, region);
      request.region = region;
    } else if (arg == L"--from" || arg == L"--to") {
      valid = valid && ParseTime(value, arg == L"--from" ? request.from_ms : request.to_ms);
    } else if (arg == L"--sensitivity") {
      valid = valid && ParseNumber(value, search::kMinSensitivity, search::kMaxSensitivity, request.sensitivity);
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
  if (request.source.empty() || request.to_ms <= request.from_ms) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return RunSearch(request);
}
