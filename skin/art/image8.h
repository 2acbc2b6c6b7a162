// Pictures of the skin artwork and their encoding as 8-bit palette BMP files
// (256-entry palette, uncompressed, bottom-up), the form the skin libraries
// hold as resources. Portable.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace art {

// 0x00RRGGBB, rows top first.
struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

constexpr uint32_t Rgb(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }

// Colour keys of the programs: pure blue is left out of the player's panel,
// pure red is the slider thumb's transparent colour, magenta (green up to 16)
// cuts the launcher's shape.
constexpr uint32_t kKeyBlue = Rgb(0, 0, 255);
constexpr uint32_t kKeyRed = Rgb(255, 0, 0);
constexpr uint32_t kKeyMagenta = Rgb(255, 0, 255);
bool IsKeyColour(uint32_t c);

// Quantises to at most 256 colours. Key colours keep their exact value and
// no other colour is mapped onto one. Returns the BMP file's bytes.
std::vector<uint8_t> EncodeBmp8(const Image& image);

// Little-endian fields of bitmap and icon files.
void Put16(std::vector<uint8_t>& out, uint32_t v);
void Put32(std::vector<uint8_t>& out, uint32_t v);

}  // namespace art
