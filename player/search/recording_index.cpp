#include "recording_index.h"

#include <memory>

#include "frame_time_ring.h"

namespace am4export {
namespace {

using namespace backup;
using backup::CaptureTime;

constexpr uint32_t kMaxFrameRate = 120;  // pictures per second a header may claim

// True when the box's payload is one or more length-prefixed NAL units
// that end exactly where the box ends: a sample an MP4 reader can take.
bool NalUnitsFillBox(const SplitFrame& f) {
  const uint8_t* p = f.box + kBoxHeaderSize;
  uint32_t rest = f.size - kBoxHeaderSize;
  if (rest == 0) return false;
  while (rest > 0) {
    if (rest < 4) return false;
    const uint32_t length = BigEndian32(p);
    if (length == 0 || length > rest - 4) return false;
    p += 4 + length;
    rest -= 4 + length;
  }
  return true;
}

class Indexer : public SegmentVisitor {
 public:
  explicit Indexer(uint64_t source_size) : source_size_(source_size) {}

  void OnSegment(uint32_t offset, const uint8_t* sector, const SegmentHeader& header, const uint8_t* payload) override {
    IndexedSegment segment{offset, SegmentEnd(offset, header), header.payload_length, {}};
    if (!Usable(sector, header, payload, segment)) {
      index.damaged.push_back(offset);
      group_open_ = false;  // what follows must begin with a key frame
      after_damage_ = true;
      return;
    }
    const uint32_t number = static_cast<uint32_t>(index.segments.size());
    index.segments.push_back(segment);
    const CaptureTime header_time = HeaderTime(header);
    const size_t first_sound = index.sounds.size();
    bool seen_video = false;
    for (const SplitFrame& f : frames_) {
      const uint32_t at = static_cast<uint32_t>(f.box - payload) + kBoxHeaderSize;
      const uint32_t size = f.size - kBoxHeaderSize;
      if (f.stream_kind != kVideoStream) {
        // Played with the group of the picture before it; sound before the
        // segment's first picture gets that picture's group below.
        index.sounds.push_back({number, at, size, f.timestamp, seen_video ? CurrentGroup() : 0});
        continue;
      }
      const bool key = f.frame_kind == kKeyFrame;
      if (key) index.group_starts.push_back(static_cast<uint32_t>(index.pictures.size()));
      uint32_t in_second = 0;
      const CaptureTime time = Stamp(header_time, header.frame_rate, key, f.timestamp, in_second);
      index.pictures.push_back({number, at, size, f.timestamp, header.frame_rate, key, after_damage_, time,
                                backup::CalendarSeconds(time), in_second * 1000 / header.frame_rate});
      after_damage_ = false;
      if (!seen_video) {
        seen_video = true;
        for (size_t s = first_sound; s < index.sounds.size(); ++s) index.sounds[s].group = CurrentGroup();
      }
    }
    if (!seen_video) {
      if (!group_open_) {
        index.sounds.resize(first_sound);  // no picture to play it with
        return;
      }
      for (size_t s = first_sound; s < index.sounds.size(); ++s) index.sounds[s].group = CurrentGroup();
    }
    group_open_ = true;
  }

  RecordingIndex index;

 private:
  uint32_t SegmentEnd(uint32_t offset, const SegmentHeader& header) const {
    const uint64_t end = uint64_t{offset} + kSectorSize + uint64_t{header.data_sectors} * kSectorSize;
    return static_cast<uint32_t>(end < source_size_ ? end : source_size_);
  }

  uint32_t CurrentGroup() const { return static_cast<uint32_t>(index.group_starts.size()) - 1; }

  // Splits the payload into frames_ and checks everything that would make
  // the segment unexportable.
  bool Usable(const uint8_t* sector, const SegmentHeader& header, const uint8_t* payload, IndexedSegment& segment) {
    frames_.clear();
    if (!payload || ScanParameterArea(sector, segment.sets) == 0 || header.frame_rate < 1 ||
        header.frame_rate > kMaxFrameRate)
      return false;
    bool fits = true, first_video = true, decodable = true;
    const bool whole = SplitPayload(payload, header.payload_length, [&](const SplitFrame& f) {
      if (f.stream_kind == kVideoStream) {
        fits = fits && NalUnitsFillBox(f);
        if (first_video) decodable = f.frame_kind == kKeyFrame || group_open_;
        first_video = false;
      }
      frames_.push_back(f);
      return true;
    });
    return whole && fits && decodable;
  }

  // The capture time as the decode stage stamps it and the pictures before
  // it in that second; a picture it would refuse (too far from its key
  // frame) keeps its header's time.
  CaptureTime Stamp(const CaptureTime& header_time, uint32_t rate, bool key, uint32_t timestamp,
                    uint32_t& in_second) {
    engine::FrameTimeEntry entry;
    if (!ring_.Stamp(header_time, rate, key, timestamp) || !ring_.Take(entry)) {
      ring_.Reset();
      in_second = 0;
      return header_time;
    }
    in_second = entry.in_second;
    return entry.time;
  }

  const uint64_t source_size_;
  std::vector<SplitFrame> frames_;  // of the segment being indexed
  engine::FrameTimeRing ring_;
  bool group_open_ = false;
  bool after_damage_ = false;  // a segment was skipped since the last picture
};

}  // namespace

RecordingIndex IndexRecording(ByteSource& source, const RecordingInfo& info, SearchObserver* stop) {
  if (!source.Seek(0, kFromEnd)) return {};
  auto indexer = std::make_unique<Indexer>(source.Position());
  const auto payload = std::make_unique<uint8_t[]>(kPayloadBufferSize);
  ReadSegments(source, info, payload.get(), *indexer, stop);
  return std::move(indexer->index);
}

bool SelectGroups(const RecordingIndex& index, int64_t from, int64_t to, GroupRange& range) {
  bool found = false;
  for (uint32_t g = 0; g < index.group_starts.size(); ++g) {
    for (uint32_t p = index.group_starts[g]; p < index.GroupEnd(g); ++p) {
      const int64_t s = index.pictures[p].second;
      if (s < from || s >= to) continue;
      if (!found) range.first = g;
      range.count = g - range.first + 1;
      found = true;
      break;
    }
  }
  return found;
}

int64_t PictureMatcher::Next(uint32_t timestamp) {
  for (size_t p = next_; p < index_.pictures.size(); ++p) {
    if (index_.pictures[p].timestamp != timestamp) continue;
    next_ = p + 1;
    return static_cast<int64_t>(p);
  }
  return -1;  // a picture the index left out: the pairing goes on from where it was
}

}  // namespace am4export
