#include "still_png.h"

#include "motion_intervals.h"

#include <algorithm>
#include <array>

namespace still {
namespace {

constexpr int kMaxSide = 1 << 14;              // pixels
constexpr size_t kStoredBlockBytes = 65535;  // the largest stored deflate block

const std::array<uint32_t, 256> kCrcTable = [] {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> 8 * i));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = start; i < out.size(); ++i) crc = kCrcTable[(crc ^ out[i]) & 0xFF] ^ (crc >> 8);
  Put32(out, crc ^ 0xFFFFFFFFu);
}

// The zlib stream of the filtered rows (filter type 0 each), in stored
// blocks: lossless without a compressor.
std::vector<uint8_t> ImageData(const uint8_t* bgr, int width, int height, int stride) {
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(height) * (1 + 3 * width));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    const uint8_t* row = bgr + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) raw.insert(raw.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  for (size_t at = 0; at < raw.size(); at += kStoredBlockBytes) {  // never empty: a filter byte a row
    const size_t n = std::min(kStoredBlockBytes, raw.size() - at);
    z.push_back(at + n == raw.size() ? 1 : 0);  // the last block
    z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
  }
  uint32_t a = 1, b = 0;  // Adler-32
  for (uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
  Put32(z, b << 16 | a);
  return z;
}

}  // namespace

std::vector<uint8_t> EncodePng(const uint8_t* bgr, int width, int height, int stride,
                               const std::vector<PngText>& texts) {
  if (!bgr || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide || stride < 3 * width) return {};
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  Put32(header, static_cast<uint32_t>(width));
  Put32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filtering choice, not interlaced
  Chunk(out, "IHDR", header);
  for (const PngText& t : texts) {
    if (t.keyword.empty() || t.keyword.size() > 79) continue;
    // Plain text where it is ASCII (every reader shows it), international text otherwise:
    // keyword 0 text, or keyword 0, not compressed, no language, no translation, 0 text.
    const bool ascii = std::all_of(t.text.begin(), t.text.end(), [](char c) { return (c & 0x80) == 0; });
    std::vector<uint8_t> data(t.keyword.begin(), t.keyword.end());
    data.push_back(0);
    if (!ascii) data.insert(data.end(), {0, 0, 0, 0});
    data.insert(data.end(), t.text.begin(), t.text.end());
    Chunk(out, ascii ? "tEXt" : "iTXt", data);
  }
  Chunk(out, "IDAT", ImageData(bgr, width, height, stride));
  Chunk(out, "IEND", {});
  return out;
}

std::vector<uint8_t> CameraPng(const uint8_t* bgr, int width, int height, int camera,
                               const std::vector<PngText>& texts) {
  if (!bgr || width < 1 || height < 1) return {};
  const search::Region r = search::CameraQuarter(camera, width, height);
  const size_t stride = static_cast<size_t>(width) * 3;
  return EncodePng(bgr + r.y * stride + r.x * 3, r.width, r.height, static_cast<int>(stride), texts);
}

}  // namespace still
