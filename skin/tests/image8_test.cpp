// The artwork's BMP encoding: 8 bits, 256 colours, bottom-up, and colour
// keys that survive quantisation exactly while no other colour becomes one.
#include "image8.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

// Decodes what EncodeBmp8 wrote, to 0xRRGGBB rows top first.
art::Image Decode(const std::vector<uint8_t>& b) {
  art::Image im;
  im.width = int(U32(b, 18));
  im.height = int(U32(b, 22));
  const size_t palette = 54, data = U32(b, 10), stride = (size_t(im.width) + 3) & ~size_t(3);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      size_t p = palette + 4 * b[data + (im.height - 1 - y) * stride + x];
      im.pixels.push_back(art::Rgb(b[p + 2], b[p + 1], b[p]));
    }
  }
  return im;
}

TEST(Image8, HeaderOf8BitBottomUpUncompressed) {
  art::Image im{3, 2, {1, 2, 3, 4, 5, 6}};
  std::vector<uint8_t> bmp = art::EncodeBmp8(im);
  EXPECT_EQ(std::memcmp(bmp.data(), "BM", 2), 0);
  EXPECT_EQ(U32(bmp, 2), bmp.size());
  EXPECT_EQ(U32(bmp, 10), 14u + 40u + 1024u);
  EXPECT_EQ(bmp[28], 8);            // bits per pixel
  EXPECT_EQ(U32(bmp, 30), 0u);      // BI_RGB
  EXPECT_EQ(U32(bmp, 22), 2u);      // positive height: bottom-up
  EXPECT_EQ(U32(bmp, 46), 256u);    // palette entries
  EXPECT_EQ(bmp.size(), 14u + 40u + 1024u + 4u * 2u);  // rows padded to 4 bytes
  EXPECT_EQ(Decode(bmp).pixels, im.pixels);  // few colours are kept exactly
}

TEST(Image8, KeysStayExactAndNothingElseBecomesOne) {
  // A smooth ramp of far more than 256 colours that passes right by the keys.
  art::Image im{256, 64, {}};
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 256; ++x)
      im.pixels.push_back(y < 8 ? art::Rgb(x, y & 1, 255 - (y >> 1)) : art::Rgb(x, (y * 4) & 255, (x * y) & 255));
  const uint32_t keys[] = {art::kKeyBlue, art::kKeyRed, art::kKeyMagenta, art::Rgb(255, 12, 255)};
  for (int i = 0; i < 4; ++i) im.pixels[size_t(40 + i) * 256 + 100] = keys[i];

  art::Image out = Decode(art::EncodeBmp8(im));
  for (size_t i = 0; i < im.pixels.size(); ++i) {
    bool key = art::IsKeyColour(im.pixels[i]);
    if (key)
      EXPECT_EQ(out.pixels[i], im.pixels[i]) << i;
    else
      EXPECT_FALSE(art::IsKeyColour(out.pixels[i])) << i;
  }
}

}  // namespace
