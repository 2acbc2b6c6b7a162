// Finding things in a backup file: its kind, the span of its recording, and
// the header searches with which playback walks from segment to segment.
#pragma once
#include <atomic>
#include <cstdint>

#include "backup_format.h"
#include "byte_source.h"

namespace backup {

struct RecordingInfo {
  uint32_t first_header_offset = 0;
  uint32_t last_header_offset = 0;
  CaptureTime start_time = {};
  CaptureTime end_time = {};
  uint32_t video_format = 0;  // of the last header

  uint32_t SpanLength() const { return last_header_offset - first_header_offset; }
};

// Moves to an absolute offset, also past 2 GiB (relative steps of the
// signed 32-bit Seek). False, with the position unchanged, when the offset
// lies past the end.
bool SeekTo(ByteSource& source, uint32_t offset);

// The two scans below read large blocks and search them in memory; `stop`,
// when given and set, ends them early as a failure.

// Kind of the first marked sector from offset 0 (0 when none within 320 MiB).
int ClassifySource(ByteSource& source, const std::atomic<bool>* stop = nullptr);

// First header from the start, last complete header from the end (the
// file's last sector is never examined). False when either is missing.
bool ProbeSource(ByteSource& source, RecordingInfo& info, const std::atomic<bool>* stop = nullptr);

// Told of every position a header search passes; false ends the search,
// which then fails.
class SearchObserver {
 public:
  virtual bool OnSearchPosition(uint32_t position) = 0;

 protected:
  ~SearchObserver() = default;
};

// From the current position: reads sectors forwards until one is a header,
// which is left in `sector` (512 bytes) with its offset. False at the end.
bool FindHeaderForward(ByteSource& source, uint8_t* sector, uint32_t& offset, SearchObserver* observer);
// The same backwards: after a sector that is not a header, steps back one
// sector. False when the start is reached or a seek fails.
bool FindHeaderBackward(ByteSource& source, uint8_t* sector, uint32_t& offset, SearchObserver* observer);

// Told of each segment that ReadSegments reads.
class SegmentVisitor {
 public:
  // `payload` holds header.payload_length bytes, or is null when they could
  // not be read (longer than the buffer, or cut short).
  virtual void OnSegment(uint32_t offset, const uint8_t* sector, const SegmentHeader& header,
                         const uint8_t* payload) = 0;

 protected:
  ~SegmentVisitor() = default;
};

// Reads the recording's segments forwards, from the first header up to and
// including the last, each next header searched from the end of the previous
// segment's data sectors. `payload` is a buffer of kPayloadBufferSize bytes.
// `stop`, when given, is asked at every sector a header search passes: false
// ends the reading.
void ReadSegments(ByteSource& source, const RecordingInfo& info, uint8_t* payload, SegmentVisitor& visitor,
                  SearchObserver* stop = nullptr);

}  // namespace backup
