// Writes test pictures as raw I420 to standard output, for an H.264 encoder:
// a 2 x 2 mosaic of cameras 1 to 4, each quarter with its own colour, a
// readable "CAM n" and picture number, a moving bar, and the machine-readable
// mark of picture_mark.h.
//
//   mosaic_frames WIDTH HEIGHT COUNT
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "picture_mark.h"

namespace {

constexpr unsigned char kWhite = 235, kBlack = 16;

int Even(int v) { return v & ~1; }  // keeps fills aligned to the chroma grid

struct Yuv {
  unsigned char y, u, v;
};
constexpr Yuv kCameraColour[4] = {{60, 170, 110}, {90, 100, 90}, {70, 110, 170}, {80, 150, 150}};

// 5 x 7 glyphs, one string of 7 rows per character.
const char* Glyph(char c) {
  switch (c) {
    case '0': return "01110100011001110101110011000101110";
    case '1': return "00100011000010000100001000010001110";
    case '2': return "01110100010000100010001000100011111";
    case '3': return "11111000100010000010000011000101110";
    case '4': return "00010001100101010010111110001000010";
    case '5': return "11111100001111000001000011000101110";
    case '6': return "00110010001000011110100011000101110";
    case '7': return "11111000010001000100010000100001000";
    case '8': return "01110100011000101110100011000101110";
    case '9': return "01110100011000101111000010001001100";
    case 'C': return "01110100011000010000100001000101110";
    case 'A': return "01110100011000110001111111000110001";
    case 'M': return "10001110111010110101100011000110001";
    default: return nullptr;
  }
}

class Picture {
 public:
  Picture(int width, int height)
      : width_(width), height_(height), y_(width * height), u_(width * height / 4), v_(width * height / 4) {}

  void Fill(int x0, int y0, int x1, int y1, Yuv c) {
    for (int y = y0; y < y1; ++y) {
      std::memset(&y_[y * width_ + x0], c.y, x1 - x0);
    }
    for (int y = y0 / 2; y < y1 / 2; ++y) {
      std::memset(&u_[y * width_ / 2 + x0 / 2], c.u, (x1 - x0) / 2);
      std::memset(&v_[y * width_ / 2 + x0 / 2], c.v, (x1 - x0) / 2);
    }
  }

  // Draws text with each glyph pixel as a scale x scale square.
  void Text(int x, int y, const char* text, int scale, Yuv c) {
    for (; *text; ++text, x += 6 * scale) {
      const char* g = Glyph(*text);
      if (!g) continue;
      for (int i = 0; i < 35; ++i) {
        if (g[i] != '1') continue;
        const int px = x + i % 5 * scale, py = y + i / 5 * scale;
        Fill(px, py, px + scale, py + scale, c);
      }
    }
  }

  void Write(FILE* out) const {
    std::fwrite(y_.data(), 1, y_.size(), out);
    std::fwrite(u_.data(), 1, u_.size(), out);
    std::fwrite(v_.data(), 1, v_.size(), out);
  }

 private:
  int width_, height_;
  std::vector<unsigned char> y_, u_, v_;
};

void DrawQuarter(Picture& p, int camera, int picture, int x0, int y0, int qw, int qh) {
  const Yuv back = kCameraColour[camera - 1];
  p.Fill(x0, y0, x0 + qw, y0 + qh, back);

  const int scale = Even(qh / 48);
  char text[16];
  std::snprintf(text, sizeof text, "CAM %d", camera);
  p.Text(x0 + qw / 12, y0 + qh / 12, text, scale, {kWhite, 128, 128});
  std::snprintf(text, sizeof text, "%05d", picture);
  p.Text(x0 + qw / 12, y0 + 4 * qh / 12, text, scale, {kWhite, 128, 128});

  // A bar that moves one step per picture, so the quarter looks alive.
  const int bar = Even(qw / 24);
  const int bx = Even(picture * bar % (qw - bar));
  p.Fill(x0 + bx, Even(y0 + 21 * qh / 24), x0 + bx + bar, Even(y0 + 23 * qh / 24), {200, 128, 128});

  const uint32_t code = mark::Encode({camera, picture});
  for (int bit = 0; bit < mark::kBits; ++bit) {
    const mark::Rect r = mark::CellRect(bit, qw, qh);
    const unsigned char luma = code >> bit & 1 ? kWhite : kBlack;
    p.Fill(Even(x0 + r.left), Even(y0 + r.top), Even(x0 + r.right), Even(y0 + r.bottom), {luma, 128, 128});
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: mosaic_frames WIDTH HEIGHT COUNT > frames.yuv\n");
    return 2;
  }
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]), count = std::atoi(argv[3]);
  if (width < 96 || height < 96 || width % 4 || height % 4 || count < 0) {
    std::fprintf(stderr, "mosaic_frames: width and height must be multiples of 4, at least 96\n");
    return 2;
  }
  Picture p(width, height);
  for (int i = 0; i < count; ++i) {
    for (int camera = 1; camera <= 4; ++camera) {
      int x, y;
      mark::QuarterOrigin(camera, width, height, x, y);
      DrawQuarter(p, camera, i, x, y, width / 2, height / 2);
    }
    p.Write(stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
