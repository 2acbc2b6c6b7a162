#include "velmora_data.h"

#include <algorithm>

namespace velmora {
namespace {

#ifdef VELMORA_LUMORA_SKIN_CODE
constexpr uint32_t kSkinCode = 0x4B414C54;
#else
constexpr uint32_t kSkinCode = 0x564C4D52;
#endif

// Resource numbers as in Lumora: single bitmap at 1000 + id, face set at 2000 + 8 * id.
constexpr uint16_t Faces(uint16_t id) { return 2000 + 8 * id; }
constexpr skin::Rect Button(int i) { return {276, 64 + 46 * i, 440, 100 + 46 * i}; }

// The launcher (460 x 400) and the host windows' sizes.
constexpr skin::RectEntry kRects[] = {
    {0, {0, 0, 460, 400}},
    {1, Button(0)}, {2, Button(1)}, {3, Button(2)}, {4, Button(3)}, {5, Button(4)}, {6, Button(5)},
    {9, {340, 346, 440, 378}},
    {10, {12, 176, 262, 316}},  // help box
    {11, {26, 104, 250, 122}},  // user ID
    {12, {26, 128, 250, 146}},  // address
    {13, {26, 352, 250, 370}},  // version
    {32, {0, 0, 800, 600}},     // remote setup
    {33, {0, 0, 960, 720}},     // live view
    {34, {0, 0, 704, 473}},     // backup (the backup window's size)
    {35, {0, 0, 980, 712}},     // remote playback
    {36, {0, 0, 960, 720}},     // search
};
constexpr skin::ResourceEntry kBitmaps[] = {{0, 1000}};
constexpr skin::ResourceEntry kFaces[] = {
    {1, Faces(1)}, {2, Faces(2)}, {3, Faces(3)}, {4, Faces(4)}, {5, Faces(5)}, {6, Faces(6)}, {9, Faces(9)},
};

struct Colour {
  uint16_t id;
  uint32_t value;
};
constexpr uint32_t Bgr(int r, int g, int b) { return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16); }
constexpr Colour kColours[] = {
    {10, Bgr(255, 240, 176)},  // help text, on the yellowish box
    {11, Bgr(150, 220, 255)},  // user ID
    {12, Bgr(150, 255, 190)},  // address
    {13, Bgr(140, 156, 180)},  // version
};

// UTF-8 to UTF-16; malformed bytes become U+FFFD.
std::u16string Widen(std::string_view s) {
  std::u16string out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size()) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char n = static_cast<unsigned char>(s[i + k]);
      ok = ok && (n >> 6) == 2;
      cp = (cp << 6) | (n & 0x3F);
    }
    if (!ok) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += char16_t(0xD800 + (cp >> 10));
      out += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      out += char16_t(cp);
    }
    i += size_t(extra) + 1;
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

const skin::SkinTable kSkin = {kSkinCode, kRects, kBitmaps, kFaces, {}};

std::optional<uint32_t> TextColour(uint16_t id) {
  for (const Colour& c : kColours)
    if (c.id == id) return c.value;
  return std::nullopt;
}

std::optional<std::u16string> FindText(std::string_view language, std::u16string_view section,
                                       std::u16string_view key) {
  bool inSection = false;
  while (!language.empty()) {
    size_t end = language.find('\n');
    std::string_view line = Trim(language.substr(0, end));
    language.remove_prefix(end == std::string_view::npos ? language.size() : end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      inSection = Widen(line.substr(1, line.size() - 2)) == section;
      continue;
    }
    size_t eq = line.find('=');
    if (!inSection || eq == std::string_view::npos || Widen(Trim(line.substr(0, eq))) != key) continue;
    std::u16string value = Widen(Trim(line.substr(eq + 1)));
    for (size_t at; (at = value.find(u"\\n")) != std::u16string::npos;) value.replace(at, 2, u"\r\n");
    return value;
  }
  return std::nullopt;
}

size_t CopyBounded(char16_t* out, size_t units, std::u16string_view text) {
  if (!out || units == 0) return 0;
  size_t n = std::min(text.size(), units - 1);
  if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;  // keep pairs whole
  std::copy_n(text.data(), n, out);
  out[n] = 0;
  return n;
}

}  // namespace velmora
