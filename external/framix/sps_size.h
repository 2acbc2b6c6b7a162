// The picture size that an H.264 sequence parameter set gives, after its
// cropping: the decoder's output types do not always say it (Wine pads the
// planar types' width and gives no display area).
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

namespace framix {

struct PictureSize {
  int width, height;
  bool operator==(const PictureSize&) const = default;
};

// The size from the first sequence parameter set of an access unit in
// start-code form; looks no further than the first slice.
std::optional<PictureSize> SequenceSize(const uint8_t* data, size_t length);

}  // namespace framix
