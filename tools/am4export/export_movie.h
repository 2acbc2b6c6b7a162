// An export of chosen groups as an MP4 movie: the recording's own H.264
// samples unchanged at its frame rate, its sound expanded to 16-bit PCM and
// placed by its timestamps, and a timed-text cue for each second of capture
// time. Planned from the index first, so that nothing is written for an
// export that cannot be made; then written by reading each segment once more.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mp4_writer.h"
#include "recording_index.h"

namespace am4export {

constexpr uint32_t kVideoTimescale = 90000;  // ticks a second, as the boxes' timestamps
constexpr uint32_t kSoundRate = 32000;       // the recorder's mu-law samples a second

// Where an exported sound box goes in the PCM: `pad` samples of silence in
// front of it, its first `skip` samples dropped (they overlap what is there).
struct SoundPlacement {
  uint32_t sound;  // in RecordingIndex::sounds
  uint32_t pad, skip;
};

struct Cue {
  backup::CaptureTime time;
  uint32_t duration;  // video ticks
};

struct ExportPlan {
  GroupRange groups;
  uint32_t first_picture = 0, end_picture = 0;  // in RecordingIndex::pictures
  uint32_t first_segment = 0, end_segment = 0;  // in RecordingIndex::segments
  std::vector<SoundPlacement> sounds;
  std::vector<Cue> cues;
  std::vector<bool> sets_in_band;              // per segment from first_segment: its key frames carry their sets
  uint32_t source_offset = 0, source_end = 0;  // the source bytes the export comes from
  uint32_t damaged_segments = 0;               // skipped within them
  mp4::Movie movie;
};

// Plans the export of `groups` (which must lie in the index).
ExportPlan PlanExport(const RecordingIndex& index, const GroupRange& groups);

class ByteSink {
 public:
  virtual bool Write(const uint8_t* data, size_t length) = 0;

 protected:
  ~ByteSink() = default;
};

// The digest of one video sample: the parameter sets carried in band in
// front of the picture (often none) and the picture's NAL units.
using SampleDigest = std::function<std::string(const mp4::Bytes& sets, const uint8_t* picture, size_t length)>;

// Writes the planned movie to `out`, reading the segments' payloads from
// `source`, and the digest of every video sample to `digests`. False when a
// read or write fails or the source no longer holds what was indexed.
bool WriteExport(backup::ByteSource& source, const RecordingIndex& index, const ExportPlan& plan, ByteSink& out,
                 const SampleDigest& digest, std::vector<std::string>& digests);

}  // namespace am4export
