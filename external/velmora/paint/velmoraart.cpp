// Paints Velmora's artwork (the launcher's bitmaps and the application icon)
// and writes it with its resource script:
//   velmoraart DIR
#include <cstdio>
#include <string>
#include <vector>

#include "artwork.h"
#include "launcher_art.h"

namespace {

using art::Put16;
using art::Put32;

// An icon file of 32-bit images; magenta pixels are transparent.
std::vector<uint8_t> EncodeIcon(const std::vector<art::Image>& images) {
  std::vector<std::vector<uint8_t>> bodies;
  for (const art::Image& im : images) {
    std::vector<uint8_t> b;
    Put32(b, 40);
    Put32(b, im.width);
    Put32(b, im.height * 2);  // colour and mask
    Put16(b, 1);
    Put16(b, 32);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int y = im.height - 1; y >= 0; --y) {
      for (int x = 0; x < im.width; ++x) {
        uint32_t c = im.at(x, y);
        bool clear = art::IsKeyColour(c);
        Put32(b, clear ? 0 : (0xFF000000u | c));
      }
    }
    const int maskStride = ((im.width + 31) / 32) * 4;
    for (int y = im.height - 1; y >= 0; --y) {
      std::vector<uint8_t> row(maskStride, 0);
      for (int x = 0; x < im.width; ++x)
        if (art::IsKeyColour(im.at(x, y))) row[x / 8] |= uint8_t(0x80 >> (x % 8));
      b.insert(b.end(), row.begin(), row.end());
    }
    bodies.push_back(std::move(b));
  }
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, uint32_t(images.size()));
  uint32_t offset = 6 + 16 * uint32_t(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(uint8_t(images[i].width));
    out.push_back(uint8_t(images[i].height));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, uint32_t(bodies[i].size()));
    Put32(out, offset);
    offset += uint32_t(bodies[i].size());
  }
  for (const auto& b : bodies) out.insert(out.end(), b.begin(), b.end());
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fwprintf(stderr, L"usage: velmoraart DIR\n");
    return 2;
  }
  const std::wstring dir = argv[1];
  bool ok = art::WriteFile(dir + L"\\icon.ico", EncodeIcon({art::PaintAppIcon(32), art::PaintAppIcon(16)})) &&
            art::WriteSkin(dir, art::PaintLauncher(), "48 ICON \"icon.ico\"\n1 RCDATA \"language.ini\"\n");
  if (!ok) fwprintf(stderr, L"velmoraart: cannot write the artwork\n");
  return ok ? 0 : 1;
}
