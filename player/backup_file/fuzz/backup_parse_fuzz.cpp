// Fuzz target: the input is a whole backup file in memory. Runs what
// playback does with an untrusted file: ClassifySource, ProbeSource, then a
// forward walk from the first header (header fields, parameter area into one
// store kept across segments, payload read, box split, frame records, NAL
// conversion into a bounded output) and a short backward walk from the last
// header over the previous-sector links. Also scans the first sector's
// parameter area on its own. Payload and output sit at the end of their
// buffers so that any access past length or capacity hits a redzone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "backup_format.h"
#include "byte_source.h"
#include "recording.h"

using namespace backup;

namespace {

constexpr uint32_t kOutputSize = 256 * 1024;
constexpr int kMaxSegments = 64;
constexpr int kMaxBackSteps = 8;

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckStore(const ParameterSetStore& store) { Check(store.length <= kParameterStoreSize); }

void Scan(const uint8_t* sector, ParameterSetStore& store) {
  const ParameterSetStore before = store;
  const uint32_t found = ScanParameterArea(sector, store);
  CheckStore(store);
  if (found != 0)
    Check(store.length == found);
  else
    Check(std::memcmp(&before, &store, sizeof store) == 0);
}

void ConvertFrames(const uint8_t* payload, uint32_t length, const SegmentHeader& header,
                   const ParameterSetStore& store, uint8_t* output, uint32_t capacity) {
  uint8_t* out = output + kOutputSize - capacity;
  SplitPayload(payload, length, [&](const SplitFrame& frame) {
    Check(frame.box >= payload && frame.size >= kBoxHeaderSize && frame.size <= length &&
          static_cast<uint32_t>(frame.box - payload) <= length - frame.size);
    const FrameRecord record = MakeFrameRecord(frame, header);
    Check(record.data_length == frame.size);
    if (frame.stream_kind == kVideoStream) {
      const uint32_t written =
          ConvertVideoFrame(frame.box, frame.size, frame.frame_kind == kKeyFrame, store, out, capacity);
      Check(written <= capacity);
    }
    return true;
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  static uint8_t* const payload_buffer = new uint8_t[kPayloadBufferSize];
  static uint8_t* const output = new uint8_t[kOutputSize];

  // Usually a roomy output; a tiny one when the last byte's top bit is set.
  const uint8_t tail = size ? data[size - 1] : 0;
  const uint32_t capacity = tail & 0x80 ? (tail & 0x7F) * 2u : kOutputSize;

  if (size >= kSectorSize) {
    uint8_t first[kSectorSize];
    std::memcpy(first, data, kSectorSize);
    ParameterSetStore store;
    Scan(first, store);
  }

  MemorySource source(data, static_cast<uint32_t>(size));
  const int kind = ClassifySource(source);
  Check(kind >= 0 && kind <= 3);

  RecordingInfo info;
  const bool probed = ProbeSource(source, info);
  if (probed) {
    Check(info.first_header_offset % kSectorSize == 0 && info.first_header_offset <= info.last_header_offset &&
          info.last_header_offset + kSectorSize <= size);
    (void)info.SpanLength();
  }

  // Forward, segment by segment.
  ParameterSetStore store;
  uint8_t sector[kSectorSize];
  uint32_t offset = 0;
  if (SeekTo(source, probed ? info.first_header_offset : 0)) {
    for (int n = 0; n < kMaxSegments && FindHeaderForward(source, sector, offset, nullptr); ++n) {
      Check(source.Position() == offset + kSectorSize);
      const SegmentHeader header = ParseSegmentHeader(sector);
      (void)HeaderTime(header);
      Scan(sector, store);
      const bool fits = SegmentFits(offset, header, size);
      if (header.payload_length <= kPayloadBufferSize) {
        uint8_t* payload = payload_buffer + kPayloadBufferSize - header.payload_length;
        if (source.Read(header.payload_length, payload) == header.payload_length)
          ConvertFrames(payload, header.payload_length, header, store, output, capacity);
      }
      Check(source.Position() <= size);
      // On to the sector after the segment's data, or the next sector when it does not fit.
      const uint32_t next = offset + kSectorSize + (fits ? header.data_sectors * kSectorSize : 0);
      if (!SeekTo(source, next)) break;
    }
  }

  // Backward from the last header over the previous-sector links.
  const bool start = probed ? SeekTo(source, info.last_header_offset)
                            : size >= kSectorSize && source.Seek(-static_cast<int32_t>(kSectorSize), kFromEnd);
  if (start) {
    for (int n = 0; n < kMaxBackSteps && FindHeaderBackward(source, sector, offset, nullptr); ++n) {
      const SegmentHeader header = ParseSegmentHeader(sector);
      (void)HeaderTime(header);
      (void)SegmentFits(offset, header, size);
      Scan(sector, store);
      const uint32_t previous = PreviousHeaderOffset(offset, header);
      if (previous >= offset || !SeekTo(source, previous)) break;
    }
  }
  return 0;
}
