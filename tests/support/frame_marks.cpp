// frame_marks WIDTH HEIGHT < FRAMES: reads raw 24-bit frames (blue, green,
// red, rows top first) and prints the picture number of each frame's mark,
// one a line, or "-" when a frame's mark does not read.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "mark_reader.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: frame_marks WIDTH HEIGHT < FRAMES\n");
    return 2;
  }
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  std::vector<uint8_t> frame(size_t(width) * height * 3);
  while (std::fread(frame.data(), 1, frame.size(), stdin) == frame.size()) {
    const testsupport::PictureView view{frame.data(), width, height, width * 3, testsupport::PixelFormat::kBgr24};
    const auto mark = testsupport::ReadMark(view, 0, 0, width, height);
    if (mark) std::printf("%d\n", mark->picture);
    else std::printf("-\n");
  }
  return 0;
}
