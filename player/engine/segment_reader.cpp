#include "segment_reader.h"

namespace engine {

using namespace backup;

uint32_t SeekTarget(const RecordingInfo& info, double fraction) {
  const double f = fraction < 0 || fraction != fraction ? 0 : fraction > 1 ? 1 : fraction;
  const uint32_t target = info.first_header_offset + static_cast<uint32_t>(info.SpanLength() * f);
  return target / kSectorSize * kSectorSize;
}

SegmentReader::SegmentReader(PacketQueue& video, PacketQueue& audio, ParameterSetStore& store, ReaderHost& host)
    : video_(video), audio_(audio), store_(store), host_(host), payload_(new uint8_t[kPayloadBufferSize]) {}

void SegmentReader::Start(ByteSource* source, const RecordingInfo& info) {
  source_ = source;
  info_ = info;
  seek_pending_.store(false);
  seek_target_.store(0);
  ClearPosition();
  if (source_) current_ = source_->Position();
}

void SegmentReader::ClearPosition() {
  positioned_ = false;
  previous_ = current_ = next_ = 0;
}

void SegmentReader::RequestSeek(double fraction) {
  seek_target_.store(SeekTarget(info_, fraction));
  seek_pending_.store(true);
}

void SegmentReader::OnSearchPosition(uint32_t position) {
  const uint32_t span = info_.SpanLength();
  const uint32_t from_first = position > info_.first_header_offset ? position - info_.first_header_offset : 0;
  host_.ShowPosition(from_first < span ? from_first : span, span);
}

bool SegmentReader::Read(ReaderKind kind) {
  if (!source_) return false;
  switch (kind) {
    case ReaderKind::kForward: return ReadForward();
    case ReaderKind::kReverse: return ReadReverse();
    case ReaderKind::kFirst: return ReadFirst();
    case ReaderKind::kLast: return ReadLast();
  }
  return false;
}

// A pending seek: forget the queued frames and go to the target.
bool SegmentReader::TakeSeek() {
  host_.PrepareSeek();
  const bool moved = SeekTo(*source_, seek_target_.load());
  seek_pending_.store(false);
  ClearPosition();
  return moved;
}

bool SegmentReader::ReadForward() {
  if (seek_pending_.load()) {
    if (!TakeSeek()) return false;
  } else if (positioned_) {
    if (!SeekTo(*source_, next_)) return false;
    previous_ = current_;
    current_ = next_;
  }
  uint32_t offset;
  if (!FindHeaderForward(*source_, sector_, offset, this)) return false;
  const SegmentHeader header = ParseSegmentHeader(sector_);
  current_ = offset;
  next_ = offset + kSectorSize + header.data_sectors * kSectorSize;
  if (!positioned_) previous_ = PreviousHeaderOffset(offset, header);
  positioned_ = true;
  return ReadPayloadAndQueue(sector_, header);
}

bool SegmentReader::ReadReverse() {
  if (seek_pending_.load()) {
    if (!TakeSeek()) return false;
  } else if (positioned_) {
    // The first segment links to itself; a link that does not lead back ends here.
    if (previous_ >= current_ || !SeekTo(*source_, previous_)) return false;
    next_ = current_;
    current_ = previous_;
  }
  uint32_t offset;
  if (!FindHeaderBackward(*source_, sector_, offset, this)) return false;
  const SegmentHeader header = ParseSegmentHeader(sector_);
  current_ = offset;
  previous_ = PreviousHeaderOffset(offset, header);
  if (!positioned_) next_ = NextHeaderOffset(offset, header);
  positioned_ = true;
  return ReadPayloadAndQueue(sector_, header);
}

bool SegmentReader::ReadFirst() {
  seek_pending_.store(false);
  ClearPosition();
  if (!SeekTo(*source_, 0)) return false;
  uint32_t offset;
  if (!FindHeaderForward(*source_, sector_, offset, this)) return false;
  const SegmentHeader header = ParseSegmentHeader(sector_);
  current_ = offset;
  next_ = offset + kSectorSize + header.data_sectors * kSectorSize;
  positioned_ = true;
  return ReadPayloadAndQueue(sector_, header);
}

bool SegmentReader::ReadLast() {
  seek_pending_.store(false);
  ClearPosition();
  if (!source_->Seek(-4 * static_cast<int32_t>(kSectorSize), kFromEnd)) return false;
  const uint32_t span = info_.SpanLength();
  for (;;) {
    uint32_t offset;
    if (!FindHeaderBackward(*source_, sector_, offset, this)) return false;
    const SegmentHeader header = ParseSegmentHeader(sector_);
    // The segment must end inside the span: before the last header.
    const int64_t d = int64_t{offset} + kSectorSize - info_.first_header_offset;
    if (d >= 0 && d <= span && span - d >= header.payload_length) {
      current_ = offset;
      previous_ = PreviousHeaderOffset(offset, header);
      positioned_ = true;
      return SeekTo(*source_, offset + kSectorSize) && ReadPayloadAndQueue(sector_, header);
    }
    if (offset == 0 || !SeekTo(*source_, offset - kSectorSize)) return false;
  }
}

bool SegmentReader::ReadPayloadAndQueue(const uint8_t* sector, const SegmentHeader& header) {
  if (header.payload_length > kPayloadBufferSize ||
      source_->Read(header.payload_length, payload_.get()) != header.payload_length)
    return false;
  if (ScanParameterArea(sector, store_) == 0) return false;
  Queue(header);
  return true;
}

void SegmentReader::Queue(const SegmentHeader& header) {
  SplitPayload(payload_.get(), header.payload_length, [&](const SplitFrame& f) {
    const FrameRecord record = MakeFrameRecord(f, header);
    if (f.stream_kind != kVideoStream) {
      if (!audio_.Push(&record, f.box, f.size)) {
        audio_.Empty();  // stale sound makes room
        audio_.Push(&record, f.box, f.size);
      }
      return true;
    }
    if (f.frame_kind == kKeyFrame) key_frame_seen_ = true;
    if (!key_frame_seen_) return true;
    if (!video_.Push(&record, f.box, f.size)) {
      host_.Pause(10);
      video_.Empty();
      return false;  // the rest of the segment is dropped
    }
    return true;
  });
}

}  // namespace engine
