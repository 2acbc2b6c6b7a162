#include "recording.h"

#include <algorithm>

namespace backup {

bool SeekTo(ByteSource& source, uint32_t offset) {
  const uint32_t start = source.Position();
  int64_t distance = int64_t{offset} - start;
  while (distance != 0) {
    const int32_t step = static_cast<int32_t>(std::clamp<int64_t>(distance, INT32_MIN, INT32_MAX));
    if (!source.Seek(step, kFromCurrent)) {
      if (source.Position() != start) SeekTo(source, start);  // back to where it was
      return false;
    }
    distance -= step;
  }
  return true;
}

int ClassifySource(ByteSource& source) {
  if (!source.Seek(0, kFromStart)) return 0;
  uint8_t sector[kSectorSize];
  for (uint32_t i = 0; i < kMaxClassifySectors; ++i) {
    if (source.Read(kSectorSize, sector) < kSectorSize) return 0;
    if (const int kind = ClassifySector(sector)) return kind;
  }
  return 0;
}

bool ProbeSource(ByteSource& source, RecordingInfo& info) {
  uint8_t sector[kSectorSize];
  uint32_t first = 0;
  if (!source.Seek(0, kFromStart) || !FindHeaderForward(source, sector, first, nullptr)) return false;
  const SegmentTime start = HeaderTime(ParseSegmentHeader(sector));

  if (!source.Seek(0, kFromEnd)) return false;
  const uint32_t size = source.Position();
  if (size < 2 * kSectorSize) return false;  // nothing before the last sector
  for (int64_t at = (size - 2 * kSectorSize) / kSectorSize * kSectorSize; at >= 0; at -= kSectorSize) {
    if (!SeekTo(source, static_cast<uint32_t>(at)) ||
        source.Read(kSectorSize, sector) < kSectorSize)
      return false;
    if (!IsHeaderSector(sector)) continue;
    const SegmentHeader last = ParseSegmentHeader(sector);
    if (!SegmentFits(static_cast<uint32_t>(at), last, size)) continue;
    info.first_header_offset = first;
    info.last_header_offset = static_cast<uint32_t>(at);
    info.start_time = start;
    info.end_time = HeaderTime(last);
    info.video_format = last.video_format;
    return true;
  }
  return false;
}

namespace {

// Reads sectors from the current position until one is a header; going
// backward, steps back one sector after each other one.
bool FindHeader(ByteSource& source, uint8_t* sector, uint32_t& offset, SearchObserver* observer, bool backward) {
  for (;;) {
    const uint32_t at = source.Position();
    if (observer) observer->OnSearchPosition(at);
    if (source.Read(kSectorSize, sector) < kSectorSize) return false;
    if (IsHeaderSector(sector)) {
      offset = at;
      return true;
    }
    if (backward) {
      const int64_t back = int64_t{at} - kSectorSize - source.Position();  // to the sector before `at`
      if (at == 0 || !source.Seek(static_cast<int32_t>(back), kFromCurrent)) return false;
    }
  }
}

}  // namespace

bool FindHeaderForward(ByteSource& source, uint8_t* sector, uint32_t& offset, SearchObserver* observer) {
  return FindHeader(source, sector, offset, observer, false);
}

bool FindHeaderBackward(ByteSource& source, uint8_t* sector, uint32_t& offset, SearchObserver* observer) {
  return FindHeader(source, sector, offset, observer, true);
}

void ReadSegments(ByteSource& source, const RecordingInfo& info, uint8_t* payload, SegmentVisitor& visitor) {
  uint8_t sector[kSectorSize];
  uint64_t next = info.first_header_offset;
  uint32_t offset = 0;
  while (next <= info.last_header_offset && SeekTo(source, static_cast<uint32_t>(next)) &&
         FindHeaderForward(source, sector, offset, nullptr) && offset <= info.last_header_offset) {
    const SegmentHeader header = ParseSegmentHeader(sector);
    next = uint64_t{offset} + kSectorSize + uint64_t{header.data_sectors} * kSectorSize;
    const bool readable = header.payload_length <= kPayloadBufferSize &&
                          source.Read(header.payload_length, payload) == header.payload_length;
    visitor.OnSegment(offset, sector, header, readable ? payload : nullptr);
  }
}

}  // namespace backup
