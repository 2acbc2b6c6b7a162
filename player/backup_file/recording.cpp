#include "recording.h"

#include <algorithm>
#include <vector>

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

namespace {

constexpr uint32_t kScanBlockSectors = 2048;  // the long scans read 1 MiB at a time

bool Stopped(const std::atomic<bool>* stop) { return stop && stop->load(); }

// From the current position, whole sectors forwards a block at a time: the
// offset of the first that `match` takes, within max_sectors. False at the
// end of the file (a short sector included), past max_sectors, or stopped.
template <class Match>
bool ScanForward(ByteSource& source, uint64_t max_sectors, const std::atomic<bool>* stop, Match match,
                 uint32_t& found) {
  std::vector<uint8_t> block(kScanBlockSectors * kSectorSize);
  for (uint64_t done = 0; done < max_sectors && !Stopped(stop);) {
    const uint32_t start = source.Position();
    const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(kScanBlockSectors, max_sectors - done));
    const uint32_t sectors = source.Read(want * kSectorSize, block.data()) / kSectorSize;
    for (uint32_t i = 0; i < sectors; ++i) {
      if (match(&block[i * kSectorSize])) {
        found = start + i * kSectorSize;
        return true;
      }
    }
    if (sectors < want) return false;
    done += sectors;
  }
  return false;
}

// Sectors backwards from the one at `at` down to offset 0, a block at a
// time: the offset of the first that `match(sector, offset)` takes.
template <class Match>
bool ScanBackward(ByteSource& source, uint32_t at, const std::atomic<bool>* stop, Match match, uint32_t& found) {
  std::vector<uint8_t> block(kScanBlockSectors * kSectorSize);
  for (int64_t top = at; top >= 0 && !Stopped(stop);) {
    const int64_t block_low = top - int64_t{kScanBlockSectors - 1} * kSectorSize;
    const uint32_t low = static_cast<uint32_t>(std::max<int64_t>(0, block_low));
    const uint32_t bytes = static_cast<uint32_t>(top - low) + kSectorSize;
    if (!SeekTo(source, low) || source.Read(bytes, block.data()) < bytes) return false;
    for (uint32_t i = bytes / kSectorSize; i-- > 0;) {
      if (match(&block[i * kSectorSize], low + i * kSectorSize)) {
        found = low + i * kSectorSize;
        return true;
      }
    }
    top = int64_t{low} - kSectorSize;
  }
  return false;
}

}  // namespace

int ClassifySource(ByteSource& source, const std::atomic<bool>* stop) {
  if (!source.Seek(0, kFromStart)) return 0;
  uint32_t at = 0;
  int kind = 0;
  const auto marked = [&](const uint8_t* sector) { return (kind = ClassifySector(sector)) != 0; };
  return ScanForward(source, kMaxClassifySectors, stop, marked, at) ? kind : 0;
}

bool ProbeSource(ByteSource& source, RecordingInfo& info, const std::atomic<bool>* stop) {
  uint32_t first = 0;
  CaptureTime start{};
  const auto first_header = [&](const uint8_t* sector) {
    if (!IsHeaderSector(sector)) return false;
    start = HeaderTime(ParseSegmentHeader(sector));
    return true;
  };
  if (!source.Seek(0, kFromStart) || !ScanForward(source, UINT64_MAX, stop, first_header, first)) return false;

  if (!source.Seek(0, kFromEnd)) return false;
  const uint32_t size = source.Position();
  if (size < 2 * kSectorSize) return false;  // nothing before the last sector
  SegmentHeader last{};
  const auto complete_header = [&](const uint8_t* sector, uint32_t offset) {
    if (!IsHeaderSector(sector)) return false;
    last = ParseSegmentHeader(sector);
    return SegmentFits(offset, last, size);
  };
  uint32_t at = 0;
  if (!ScanBackward(source, (size - 2 * kSectorSize) / kSectorSize * kSectorSize, stop, complete_header, at))
    return false;
  info.first_header_offset = first;
  info.last_header_offset = at;
  info.start_time = start;
  info.end_time = HeaderTime(last);
  info.video_format = last.video_format;
  return true;
}

namespace {

// Reads sectors from the current position until one is a header; going
// backward, steps back one sector after each other one.
bool FindHeader(ByteSource& source, uint8_t* sector, uint32_t& offset, SearchObserver* observer, bool backward) {
  for (;;) {
    const uint32_t at = source.Position();
    if (observer && !observer->OnSearchPosition(at)) return false;
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

void ReadSegments(ByteSource& source, const RecordingInfo& info, uint8_t* payload, SegmentVisitor& visitor,
                  SearchObserver* stop) {
  uint8_t sector[kSectorSize];
  uint64_t next = info.first_header_offset;
  uint32_t offset = 0;
  while (next <= info.last_header_offset && SeekTo(source, static_cast<uint32_t>(next)) &&
         FindHeaderForward(source, sector, offset, stop) && offset <= info.last_header_offset) {
    const SegmentHeader header = ParseSegmentHeader(sector);
    next = uint64_t{offset} + kSectorSize + uint64_t{header.data_sectors} * kSectorSize;
    const bool readable = header.payload_length <= kPayloadBufferSize &&
                          source.Read(header.payload_length, payload) == header.payload_length;
    visitor.OnSegment(offset, sector, header, readable ? payload : nullptr);
  }
}

}  // namespace backup
