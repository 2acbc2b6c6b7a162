// A skin's data set: rectangles, single bitmaps, face sets and alternate face
// sets by skin identifier, each kind in a table of its own. Portable: the
// library wraps it with the Win32 resource loading.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace skin {

struct Rect {
  int32_t left, top, right, bottom;  // right and bottom exclusive
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct RectEntry {
  uint16_t id;
  Rect rect;
};

// A single bitmap or a face set: the bitmap resource number, or the first of
// four consecutive ones (normal, hover, pressed, disabled).
struct ResourceEntry {
  uint16_t id;
  uint16_t resource;
};

struct SkinTable {
  uint32_t skinCode;
  std::span<const RectEntry> rects;
  std::span<const ResourceEntry> bitmaps;
  std::span<const ResourceEntry> faces;
  std::span<const ResourceEntry> altFaces;
};

std::optional<Rect> FindRect(const SkinTable& skin, uint16_t id);
// Resource number of the single bitmap, or the first face of the set.
std::optional<uint16_t> FindEntry(std::span<const ResourceEntry> table, uint16_t id);

constexpr int kFacesPerSet = 4;

// The data sets; each library links exactly one.
extern const SkinTable kPlayerSkin;  // Lumora
extern const SkinTable kBackupSkin;  // LumoraBackup

}  // namespace skin
