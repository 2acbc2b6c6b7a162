// am4_video IN.am4 OUT.h264: the video of a backup file as one H.264 stream,
// parameter sets in front of each key frame, for ffmpeg to decode.
#include <cstdio>

#include "backup_walk.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: am4_video IN.am4 OUT.h264\n", stderr);
    return 2;
  }
  const auto stream = testsupport::VideoStream(testsupport::WalkSegments(testsupport::ReadWholeFile(argv[1])));
  std::FILE* out = std::fopen(argv[2], "wb");
  const bool ok = out && !stream.empty() && std::fwrite(stream.data(), 1, stream.size(), out) == stream.size();
  if (out) std::fclose(out);
  if (!ok) std::fputs("am4_video: no video written\n", stderr);
  return ok ? 0 : 1;
}
