// A small writer of ISO base media files ("MP4"): ftyp, then moov with one
// trak per track, then mdat. The caller describes every sample and the order
// of the chunks in mdat; the writer lays out the boxes in front of mdat, and
// the caller then writes the chunks' bytes in that order.
#pragma once
#include <cstdint>
#include <vector>

namespace mp4 {

using Bytes = std::vector<uint8_t>;

enum class TrackKind { kVideo, kSound, kText };

// `count` consecutive samples of one size and duration.
struct SampleRun {
  uint32_t count;
  uint32_t size;      // bytes of each sample
  uint32_t duration;  // in the track's timescale
  bool sync;          // a sample that decodes by itself
};

struct Track {
  TrackKind kind;
  uint32_t timescale;
  Bytes sample_entry;              // the one entry of stsd, a whole box
  uint16_t width = 0, height = 0;  // presentation size (video and text)
  std::vector<SampleRun> runs;     // every sample, in order
};

// A chunk: the next `samples` samples of track `track`, contiguous in mdat.
struct Chunk {
  uint32_t track;
  uint32_t samples;
};

struct Movie {
  std::vector<Track> tracks;
  std::vector<Chunk> chunks;  // in mdat order
};

// Sample entries.
// H.264 in length-prefixed form (4-byte lengths) with its parameter sets
// (NAL units without start codes).
Bytes AvcSampleEntry(uint16_t width, uint16_t height, const std::vector<Bytes>& sps, const std::vector<Bytes>& pps);
// Mono 16-bit little-endian PCM.
Bytes PcmSampleEntry(uint32_t sample_rate);
// Timed text, white on transparent, centred at the bottom.
Bytes TextSampleEntry();
// A timed-text sample: its UTF-8 text behind a 16-bit length.
Bytes TextSample(const char* text);

// Everything in front of the chunks' bytes: ftyp, moov and mdat's header.
// Empty when the movie is inconsistent (a chunk wants more samples than its
// track has left, or samples stay outside every chunk).
Bytes MovieHeader(const Movie& movie);
// Bytes of all chunks: what the caller writes after the header.
uint64_t MediaDataSize(const Movie& movie);

}  // namespace mp4
