// The skins' artwork: every bitmap resource of a skin library, painted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace art {

struct Artwork {
  uint16_t resource;
  Image image;
};

enum Face { kNormal, kHover, kPressed, kDisabled };
constexpr Face kFaces[] = {kNormal, kHover, kPressed, kDisabled};

// Adds the four faces of a set, resource numbers base to base + 3.
template <typename Paint>
void AddFaceSet(std::vector<Artwork>& out, uint16_t base, int width, int height, Paint paint) {
  for (Face f : kFaces) {
    Canvas c(width, height);
    paint(c, f);
    out.push_back({uint16_t(base + f), c.Finish()});
  }
}

// Shapes drawn inside a box, in one colour.
void IconPlay(Canvas& c, Box b, uint32_t rgb, bool reverse = false);
void IconDouble(Canvas& c, Box b, uint32_t rgb, bool reverse);  // fast forward / rewind
void IconEnd(Canvas& c, Box b, uint32_t rgb, bool first);       // first / last position
void IconPause(Canvas& c, Box b, uint32_t rgb);
void IconArrow(Canvas& c, Box b, uint32_t rgb, bool up);

std::vector<Artwork> PaintPlayer();
std::vector<Artwork> PaintBackup();

bool WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes);
// Writes each bitmap as DIR\NNN.bmp and a resource script that names them,
// DIR\resources.rc, with the extra lines appended.
bool WriteSkin(const std::wstring& dir, const std::vector<Artwork>& art, const std::string& extra = "");

}  // namespace art
