// am4write: makes a backup file from an H.264 Annex B stream and raw u-law audio.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "am4_writer.h"

namespace {

const char kUsage[] =
    "usage: am4write --video STREAM.h264 [options] -o OUT.am4\n"
    "  --video FILE        H.264 Annex B stream, key frame every 10 pictures or fewer\n"
    "  --audio FILE        raw G.711 u-law, mono, 32000 samples/s (optional)\n"
    "  --fps N             pictures per second (default 25)\n"
    "  --format N          video format code of the headers (default 13)\n"
    "  --start 'YYYY-MM-DD hh:mm:ss'  time of the first picture (default 2026-01-01 12:00:00)\n"
    "  --groups-per-segment N  groups of pictures in each segment (default 1)\n"
    "  --filler N          N sectors of leftover data before the first header\n"
    "  --marker fa|fb|rvde a marker sector in front of the first header\n"
    "  --truncate          cut the last segment's data short\n"
    "  --sector-base N     recorder sector number of file offset 0 (default 1000000)\n";

bool ReadFile(const char* path, am4write::Bytes& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  am4write::WriterOptions o;
  const char *video_path = nullptr, *audio_path = nullptr, *out_path = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    auto take = [&] { return ++i, value; };
    if (arg == "--truncate") {
      o.truncate_last = true;
    } else if (!value) {
      std::fputs(kUsage, stderr);
      return 2;
    } else if (arg == "--video") {
      video_path = take();
    } else if (arg == "--audio") {
      audio_path = take();
    } else if (arg == "-o") {
      out_path = take();
    } else if (arg == "--fps") {
      o.fps = std::atoi(take());
    } else if (arg == "--format") {
      o.format = static_cast<uint32_t>(std::strtoul(take(), nullptr, 0));
    } else if (arg == "--groups-per-segment") {
      o.groups_per_segment = std::atoi(take());
    } else if (arg == "--filler") {
      o.filler_sectors = std::atoi(take());
    } else if (arg == "--sector-base") {
      o.sector_base = static_cast<uint32_t>(std::strtoul(take(), nullptr, 0));
    } else if (arg == "--start") {
      if (!am4write::ParseDateTime(take(), o.start)) {
        std::fprintf(stderr, "am4write: --start wants 'YYYY-MM-DD hh:mm:ss', 1996 to 2251\n");
        return 2;
      }
    } else if (arg == "--marker") {
      const std::string m = take();
      o.marker = m == "fa" ? am4write::Marker::kFA : m == "fb" ? am4write::Marker::kFB
               : m == "rvde" ? am4write::Marker::kRVDE : am4write::Marker::kNone;
      if (o.marker == am4write::Marker::kNone) {
        std::fputs(kUsage, stderr);
        return 2;
      }
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (!video_path || !out_path || o.filler_sectors < 0) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  am4write::Bytes video, audio, out;
  if (!ReadFile(video_path, video) || (audio_path && !ReadFile(audio_path, audio))) {
    std::fprintf(stderr, "am4write: cannot read the input files\n");
    return 1;
  }
  std::string error;
  if (!am4write::WriteBackupFile(o, am4write::ParseElementaryStream(video), audio, out, error)) {
    std::fprintf(stderr, "am4write: %s\n", error.c_str());
    return 1;
  }
  std::ofstream file(out_path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (!file.flush()) {
    std::fprintf(stderr, "am4write: cannot write %s\n", out_path);
    return 1;
  }
  return 0;
}
