#include "image8.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace art {
namespace {

constexpr int kPaletteSize = 256;

int R(uint32_t c) { return (c >> 16) & 0xFF; }
int G(uint32_t c) { return (c >> 8) & 0xFF; }
int B(uint32_t c) { return c & 0xFF; }

struct Weighted {
  uint32_t colour;
  uint32_t count;
};

// Median cut over the distinct colours, weighted by pixel count.
std::vector<uint32_t> MedianCut(std::vector<Weighted> colours, size_t slots) {
  if (colours.size() <= slots) {
    std::vector<uint32_t> exact;
    for (const Weighted& w : colours) exact.push_back(w.colour);
    return exact;
  }
  struct Box {
    size_t begin, end;
  };
  auto channel = [](uint32_t c, int ch) { return ch == 0 ? R(c) : ch == 1 ? G(c) : B(c); };
  auto widest = [&](const Box& b, int* range) {
    int best = 0;
    *range = -1;
    for (int ch = 0; ch < 3; ++ch) {
      int lo = 255, hi = 0;
      for (size_t i = b.begin; i < b.end; ++i) {
        lo = std::min(lo, channel(colours[i].colour, ch));
        hi = std::max(hi, channel(colours[i].colour, ch));
      }
      if (hi - lo > *range) *range = hi - lo, best = ch;
    }
    return best;
  };
  std::vector<Box> boxes = {{0, colours.size()}};
  while (boxes.size() < slots) {
    // Split the box with the widest channel range that still holds two colours.
    int bestRange = 0;
    size_t pick = boxes.size();
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].end - boxes[i].begin < 2) continue;
      int range;
      widest(boxes[i], &range);
      if (range > bestRange) bestRange = range, pick = i;
    }
    if (pick == boxes.size()) break;
    Box box = boxes[pick];
    int range;
    int ch = widest(box, &range);
    std::sort(colours.begin() + box.begin, colours.begin() + box.end, [&](const Weighted& a, const Weighted& b) {
      return channel(a.colour, ch) != channel(b.colour, ch) ? channel(a.colour, ch) < channel(b.colour, ch)
                                                            : a.colour < b.colour;
    });
    uint64_t total = 0, half = 0;
    for (size_t i = box.begin; i < box.end; ++i) total += colours[i].count;
    size_t cut = box.begin + 1;
    for (size_t i = box.begin; i < box.end - 1; ++i) {
      half += colours[i].count;
      cut = i + 1;
      if (half * 2 >= total) break;
    }
    boxes[pick] = {box.begin, cut};
    boxes.push_back({cut, box.end});
  }
  std::vector<uint32_t> palette;
  for (const Box& b : boxes) {
    uint64_t r = 0, g = 0, bl = 0, n = 0;
    for (size_t i = b.begin; i < b.end; ++i) {
      r += uint64_t(R(colours[i].colour)) * colours[i].count;
      g += uint64_t(G(colours[i].colour)) * colours[i].count;
      bl += uint64_t(B(colours[i].colour)) * colours[i].count;
      n += colours[i].count;
    }
    uint32_t c = Rgb(int((r + n / 2) / n), int((g + n / 2) / n), int((bl + n / 2) / n));
    if (IsKeyColour(c)) c ^= 1;  // an average must never become a key
    palette.push_back(c);
  }
  return palette;
}

}  // namespace

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

bool IsKeyColour(uint32_t c) {
  return c == kKeyBlue || c == kKeyRed || (R(c) == 255 && B(c) == 255 && G(c) <= 16);
}

std::vector<uint8_t> EncodeBmp8(const Image& image) {
  std::unordered_map<uint32_t, uint32_t> counts;
  for (uint32_t c : image.pixels) ++counts[c];
  std::vector<uint32_t> keys;
  std::vector<Weighted> colours;
  for (const auto& [c, n] : counts) {
    if (IsKeyColour(c))
      keys.push_back(c);
    else
      colours.push_back({c, n});
  }
  std::sort(keys.begin(), keys.end());
  std::sort(colours.begin(), colours.end(), [](const Weighted& a, const Weighted& b) { return a.colour < b.colour; });

  std::vector<uint32_t> palette = keys;
  const size_t firstPlain = palette.size();
  for (uint32_t c : MedianCut(colours, kPaletteSize - keys.size())) palette.push_back(c);

  std::unordered_map<uint32_t, uint8_t> index;
  for (size_t i = 0; i < firstPlain; ++i) index[palette[i]] = uint8_t(i);
  for (const Weighted& w : colours) {
    size_t best = firstPlain;
    int bestDistance = INT32_MAX;
    for (size_t i = firstPlain; i < palette.size(); ++i) {
      int dr = R(w.colour) - R(palette[i]), dg = G(w.colour) - G(palette[i]), db = B(w.colour) - B(palette[i]);
      int d = dr * dr + dg * dg + db * db;
      if (d < bestDistance) bestDistance = d, best = i;
    }
    index[w.colour] = uint8_t(best);
  }
  palette.resize(kPaletteSize, 0);

  const uint32_t stride = (uint32_t(image.width) + 3) & ~3u;
  const uint32_t headers = 14 + 40 + kPaletteSize * 4;
  const uint32_t dataSize = stride * uint32_t(image.height);
  std::vector<uint8_t> out;
  out.reserve(headers + dataSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, headers + dataSize);
  Put32(out, 0);
  Put32(out, headers);
  Put32(out, 40);
  Put32(out, uint32_t(image.width));
  Put32(out, uint32_t(image.height));  // positive: rows bottom-up
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, 0);  // BI_RGB
  Put32(out, dataSize);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, kPaletteSize);
  Put32(out, 0);
  for (uint32_t c : palette) {
    out.push_back(uint8_t(B(c)));
    out.push_back(uint8_t(G(c)));
    out.push_back(uint8_t(R(c)));
    out.push_back(0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) out.push_back(index[image.at(x, y)]);
    for (uint32_t pad = uint32_t(image.width); pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace art
