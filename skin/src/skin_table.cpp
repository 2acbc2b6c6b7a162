#include "skin_table.h"

namespace skin {

std::optional<Rect> FindRect(const SkinTable& skin, uint16_t id) {
  for (const RectEntry& e : skin.rects)
    if (e.id == id) return e.rect;
  return std::nullopt;
}

std::optional<uint16_t> FindEntry(std::span<const ResourceEntry> table, uint16_t id) {
  for (const ResourceEntry& e : table)
    if (e.id == id) return e.resource;
  return std::nullopt;
}

}  // namespace skin
