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
#include "recording_search.h"
#include "win32/text_codec.h"

namespace {

using namespace am4search;

const char kUsage[] =
    "usage: am4search FILE [--camera 1-4] [--region X,Y,W,H] [--from \"YYYY-MM-DD hh:mm:ss\"]\n"
    "                 [--to \"YYYY-MM-DD hh:mm:ss\"] [--sensitivity 1-10]\n";
constexpr int kMaxCoordinate = 65535;

std::string TimeText(int64_t ms) {
  return backup::FormatCaptureTime(backup::FromCalendarSeconds(ms / 1000), static_cast<uint32_t>(ms % 1000));
}

// Each interval printed as it closes.
class Printer : public SearchListener {
  bool KeepGoing() override { return true; }
  void Progress(int) override {}
  void Found(const FoundInterval& found) override {
    const search::MotionInterval& i = found.motion;
    std::printf("interval %lld %lld \"%s\" \"%s\" %d\n", static_cast<long long>(i.first),
                static_cast<long long>(i.last), TimeText(i.first_ms).c_str(), TimeText(i.last_ms).c_str(), i.peak);
  }
};

int RunSearch(const SearchRequest& request) {
  const auto started = std::chrono::steady_clock::now();
  const std::string source_name = win32::ToUtf8(request.source);
  Printer printer;
  const SearchSummary summary = SearchRecording(request, printer);
  switch (summary.outcome) {
    case SearchOutcome::kNotRecording:
      std::fprintf(stderr, "am4search: %s is not a backup file with a recording\n", source_name.c_str());
      return 1;
    case SearchOutcome::kRefused:
      std::fprintf(stderr, "am4search: %s\n", summary.refusal.c_str());
      return 1;
    case SearchOutcome::kUnplayable:
    case SearchOutcome::kStopped:
      std::fprintf(stderr, "am4search: %s cannot be played\n", source_name.c_str());
      return 1;
    case SearchOutcome::kSearched:
      break;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fprintf(stderr, "am4search: %lld pictures searched (%lld decoded) in %.2f s, %.1f pictures/s\n",
               static_cast<long long>(summary.searched), static_cast<long long>(summary.decoded), seconds,
               seconds > 0 ? summary.searched / seconds : 0.0);
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
