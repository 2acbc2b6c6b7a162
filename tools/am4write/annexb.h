// Splitting an H.264 Annex B elementary stream into pictures.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace am4write {

using Bytes = std::vector<uint8_t>;

struct Picture {
  bool key = false;         // an IDR picture
  std::vector<Bytes> nals;  // its slice NAL units, without start codes
};

struct ElementaryStream {
  Bytes sps, pps;  // the first sequence and picture parameter sets
  std::vector<Picture> pictures;
};

// NAL units of an Annex B stream (3- or 4-byte start codes), without start codes.
std::vector<Bytes> SplitNalUnits(std::span<const uint8_t> stream);

// Groups slices into pictures (a slice with first_mb_in_slice 0 starts one)
// and keeps the first SPS and PPS. SEI, delimiters and repeated parameter
// sets are dropped: the player puts the parameter sets in front of key frames.
ElementaryStream ParseElementaryStream(std::span<const uint8_t> stream);

}  // namespace am4write
