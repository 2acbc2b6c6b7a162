// am4still FILE (--at "YYYY-MM-DD hh:mm:ss[.mmm]" | --picture N) [--camera 1-4] -o OUT.png:
// one picture of a backup file's recording, decoded as playback decodes it,
// as a lossless PNG at its recorded size (a camera's quarter, or the whole
// mosaic), with text chunks naming its source, capture time, picture number,
// camera and sample hash; and OUT.png.sha256 (for sha256sum -c) beside it.
// Pictures are counted from 0 over the whole recording, as am4frames counts them.
// Exit status 0 done, 1 refused or failed, 2 usage.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

#include "export_files.h"
#include "file_io.h"
#include "ledger.h"
#include "picture_format.h"
#include "motion_intervals.h"
#include "recording_frames.h"
#include "sha256.h"
#include "still_picture.h"
#include "still_png.h"

namespace {


const char kUsage[] =
    "usage: am4still FILE (--at \"YYYY-MM-DD hh:mm:ss[.mmm]\" | --picture N) [--camera 1-4] -o OUT.png\n";
constexpr int64_t kMaxPictureNumber = INT32_MAX;

struct StillRequest {
  std::wstring source, out;
  std::optional<int64_t> at_ms, picture;
  int camera = 0;  // 0: the whole picture
};

int Refuse(const std::string& why) {
  std::fprintf(stderr, "am4still: %s\n", why.c_str());
  return 1;
}

// The chosen picture: where it stands, and its decoded pixels.
struct Still {
  int number = -1;       // as playback counts them
  int64_t indexed = -1;  // in the recording's index
  int width = 0, height = 0;
  std::vector<uint8_t> bgr;  // packed rows, top first
};

std::string SampleSha256(backup::FileIO& file, const am4export::RecordingIndex& index, int64_t picture) {
  const am4export::IndexedPicture& p = index.pictures[picture];
  std::string sample(p.size, '\0');
  if (!backup::SeekTo(file, index.segments[p.segment].offset + backup::kSectorSize + p.at) ||
      file.Read(p.size, reinterpret_cast<uint8_t*>(sample.data())) != p.size)
    return {};
  return am4export::Sha256::Of(sample);
}

int MakeStill(const StillRequest& request) {
  const std::string source_name = win32::ToUtf8(am4export::BaseName(request.source));
  const std::wstring manifest_path = request.out + L".sha256";
  for (const std::wstring& path : {request.out, manifest_path}) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return Refuse(win32::ToUtf8(path) + " exists");
  }
  backup::RecordingInfo info;
  backup::FileIO file;
  if (!am4export::OpenRecording(request.source, info, file))
    return Refuse(source_name + " is not a backup file with a recording");
  const am4export::RecordingIndex index = am4export::IndexRecording(file, info);
  if (index.pictures.empty()) return Refuse(source_name + " holds no picture");
  int64_t wanted = -1;  // in the index, when asked for by time
  if (request.at_ms) {
    wanted = still::PictureAt(index, *request.at_ms);
    if (wanted < 0)
      return Refuse("no picture is on show at that time; the recording runs from " +
                    am4export::PictureTime(index.pictures.front()) + " to " +
                    am4export::PictureTime(index.pictures.back()));
  }

  Still still;
  am4export::PictureMatcher matcher(index);
  const bool decoded = am4frames::DecodeRecording(request.source.c_str(), -1, [&](int number,
                                                                                   const engine::PictureEntry& p) {
    const int64_t indexed = matcher.Next(p.timestamp);
    if (still.number >= 0 || (request.picture ? number != *request.picture : indexed != wanted)) return;
    const int width = p.bitmap_info.header.width, height = -p.bitmap_info.header.height;
    if (width < 1 || height < 1 || uint64_t{3} * width * height > engine::kPictureBytes) return;
    still.number = number;
    still.indexed = indexed;
    still.width = width;
    still.height = height;
    still.bgr.assign(p.pixels, p.pixels + size_t{3} * width * height);
  });
  if (!decoded) return Refuse(source_name + " cannot be played");
  if (still.number < 0) return Refuse("playback does not decode the picture asked for");
  if (still.indexed < 0) return Refuse("the picture asked for lies in a segment that cannot be read whole");
  const std::string sample_hash = SampleSha256(file, index, still.indexed);
  if (sample_hash.empty()) return Refuse("the picture's sample cannot be read again");

  const std::string capture_time = am4export::PictureTime(index.pictures[still.indexed]);
  const std::vector<uint8_t> png = still::CameraPng(
      still.bgr.data(), still.width, still.height, request.camera,
      {{"Source File", source_name},
       {"Capture Time", capture_time},
       {"Picture", std::to_string(still.number)},
       {"Camera", request.camera ? std::to_string(request.camera) : "all"},
       {"Sample SHA-256", sample_hash}});
  const std::string png_file(png.begin(), png.end());
  const std::string png_hash = am4export::Sha256::Of(png_file);
  const std::string out_name = win32::ToUtf8(am4export::BaseName(request.out));
  const std::string failed = "could not write " + win32::ToUtf8(request.out);
  if (png.empty() || png_hash.empty() || !am4export::WriteNewFile(request.out, png_file))
    return Refuse(failed);
  if (!am4export::WriteNewFile(manifest_path, png_hash + "  " + out_name + "\n")) {
    DeleteFileW(request.out.c_str());  // written by this run just now
    return Refuse(failed);
  }
  const search::Region rect = search::CameraQuarter(request.camera, still.width, still.height);
  std::printf("%s: picture %d, %s, %d x %d\n", out_name.c_str(), still.number, capture_time.c_str(), rect.width,
              rect.height);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  StillRequest request;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == L"-o" && has_value) {
      request.out = argv[++i];
    } else if (arg == L"--at" && has_value && !request.at_ms) {
      int64_t ms = 0;
      if (!still::ParseStillTime(win32::ToUtf8(argv[++i]), ms)) {
        std::fputs("am4still: --at wants a date and time \"YYYY-MM-DD hh:mm:ss[.mmm]\"\n", stderr);
        return 2;
      }
      request.at_ms = ms;
    } else if (arg == L"--picture" && has_value && !request.picture) {
      wchar_t* end = nullptr;
      const long long n = std::wcstoll(argv[++i], &end, 10);
      if (*end != L'\0' || end == argv[i] || n < 0 || n > kMaxPictureNumber) {
        std::fputs("am4still: --picture wants a picture number from 0\n", stderr);
        return 2;
      }
      request.picture = n;
    } else if (arg == L"--camera" && has_value) {
      const std::wstring camera = argv[++i];
      if (camera.size() != 1 || camera[0] < L'1' || camera[0] > L'4') {
        std::fputs("am4still: --camera wants 1, 2, 3 or 4\n", stderr);
        return 2;
      }
      request.camera = camera[0] - L'0';
    } else if (arg.rfind(L"-", 0) != 0 && request.source.empty()) {
      request.source = arg;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (request.source.empty() || request.out.empty() || request.at_ms.has_value() == request.picture.has_value()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return MakeStill(request);
}
