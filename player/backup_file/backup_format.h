// The backup file's layout: 512-byte sectors, segment header sectors
// ("rvdx") each followed by a payload of "qbox" boxes. Header fields are
// little-endian; box fields and NAL lengths big-endian. Every function here
// treats its input as untrusted and never reads outside what it is given.
#pragma once
#include <cstdint>

#include "capture_time.h"
#include "frame_record.h"

namespace backup {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kMaxClassifySectors = 655360;  // 320 MiB
constexpr uint32_t kPayloadBufferSize = 1 << 20;  // a longer payload is unreadable
constexpr uint32_t kBoxHeaderSize = 24;
constexpr uint32_t kParameterAreaLengthAt = 400;
constexpr uint32_t kMaxParameterArea = kSectorSize - kParameterAreaLengthAt - 1;  // 111
constexpr uint32_t kParameterStoreSize = 100;

// A big-endian field of a box, or a NAL unit's length.
inline uint32_t BigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// Kind of a sector by its first four bytes: 1 FA/FB FF FF FF, 2 "RVDE",
// 3 "rvdx" (a segment header), 0 anything else.
int ClassifySector(const uint8_t* sector);
bool IsHeaderSector(const uint8_t* sector);

struct SegmentHeader {
  uint32_t previous_sector, own_sector, next_sector;  // low 32 bits of the recorder's numbers
  uint32_t data_sectors;                              // sectors after the header
  uint32_t payload_length;                            // bytes of boxes after the header
  uint32_t date_word, time_word;                      // bytes 40-43 and 44-47
  uint32_t video_format, frame_rate;
  uint32_t parameter_length;                          // N: the area is the sector's last N bytes
};

SegmentHeader ParseSegmentHeader(const uint8_t* sector);  // 512 bytes
CaptureTime HeaderTime(const SegmentHeader& header);

// Offsets of the neighbouring headers from the sector numbers, in 32-bit arithmetic.
uint32_t PreviousHeaderOffset(uint32_t offset, const SegmentHeader& header);
uint32_t NextHeaderOffset(uint32_t offset, const SegmentHeader& header);
// True when the header's data sectors all lie inside a file of file_size bytes.
bool SegmentFits(uint32_t offset, const SegmentHeader& header, uint64_t file_size);

// The parameter sets of the latest header, each behind 00 00 00 01.
struct ParameterSetStore {
  uint8_t bytes[kParameterStoreSize] = {};
  uint32_t length = 0;
};

// Scans the parameter area of a header sector. Returns the bytes of
// parameter sets found; when not 0 they replace the store's contents. A
// failed scan returns 0 and leaves the store as it was.
uint32_t ScanParameterArea(const uint8_t* sector, ParameterSetStore& store);

struct SplitFrame {
  int32_t stream_kind;  // StreamKind
  int32_t frame_kind;   // FrameKind
  uint32_t timestamp;
  const uint8_t* box;   // the whole box
  uint32_t size;
};

// Reads the box at payload[at]; returns false (and ends a split) when it is
// not a whole "qbox" inside the payload. Boxes of unknown stream types come
// back with stream_kind -1.
bool ReadBox(const uint8_t* payload, uint32_t length, uint32_t at, SplitFrame& frame);

// Calls sink(frame) for each frame of a segment payload, in order, until the
// sink returns false. Returns false when a malformed box ended the split
// (frames before it were delivered), true otherwise.
template <class Sink>
bool SplitPayload(const uint8_t* payload, uint32_t length, Sink&& sink) {
  uint32_t at = 0;
  while (at < length) {
    SplitFrame frame;
    if (!ReadBox(payload, length, at, frame)) return false;
    at += frame.size;
    if (frame.stream_kind >= 0 && !sink(frame)) return true;
  }
  return true;
}

FrameRecord MakeFrameRecord(const SplitFrame& frame, const SegmentHeader& header);

// Converts a video box's length-prefixed NAL units to start-code form in
// out, the store's parameter sets first for a key frame. Never writes more
// than capacity; returns the bytes written.
uint32_t ConvertVideoFrame(const uint8_t* box, uint32_t size, bool key, const ParameterSetStore& store,
                           uint8_t* out, uint32_t capacity);

}  // namespace backup
