#include "segment_reader.h"

namespace engine {

using namespace backup;

namespace {

// The header after a segment: behind its data sectors; 0 when a damaged
// count would put it past 4 GiB.
uint32_t FollowingHeaderOffset(uint32_t offset, const SegmentHeader& header) {
  const uint64_t next = uint64_t{offset} + kSectorSize + uint64_t{header.data_sectors} * kSectorSize;
  return next > UINT32_MAX ? 0 : static_cast<uint32_t>(next);
}

bool IsKeyFrame(const SplitFrame& f) { return f.stream_kind == kVideoStream && f.frame_kind == kKeyFrame; }

}  // namespace

uint32_t SeekTarget(const RecordingInfo& info, double fraction) {
  const double f = fraction < 0 || fraction != fraction ? 0 : fraction > 1 ? 1 : fraction;
  const uint32_t target = info.first_header_offset + static_cast<uint32_t>(info.SpanLength() * f);
  return target / kSectorSize * kSectorSize;
}

SegmentReader::SegmentReader(PacketQueue& video, PacketQueue& audio, SharedParameterSets& sets, ReaderHost& host)
    : video_(video), audio_(audio), sets_(sets), host_(host), payload_(new uint8_t[kPayloadBufferSize]) {
  frames_.reserve(kPayloadBufferSize / kBoxHeaderSize);
  group_starts_.reserve(kPayloadBufferSize / kBoxHeaderSize);
}

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

bool SegmentReader::OnSearchPosition(uint32_t position) {
  const uint32_t span = info_.SpanLength();
  const uint32_t from_first = position > info_.first_header_offset ? position - info_.first_header_offset : 0;
  host_.ShowPosition(from_first < span ? from_first : span, span);
  return host_.KeepSearching();
}

bool SegmentReader::Read(ReaderKind kind, GroupPlan plan) {
  if (!source_) return false;
  plan_ = plan;
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
    if (next_ <= current_ || !SeekTo(*source_, next_)) return false;
    previous_ = current_;
    current_ = next_;
  }
  uint32_t offset;
  if (!FindHeaderForward(*source_, sector_, offset, this)) return false;
  const SegmentHeader header = ParseSegmentHeader(sector_);
  current_ = offset;
  next_ = FollowingHeaderOffset(offset, header);
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
  next_ = FollowingHeaderOffset(offset, header);
  positioned_ = true;
  return ReadPayloadAndQueue(sector_, header);
}

bool SegmentReader::ReadLast() {
  seek_pending_.store(false);
  ClearPosition();
  // Headers from the last one on end past the span: the search starts below
  // it, not in what follows the recording (preallocated space, say). Where
  // it fails, it leaves the file where reverse reading then starts.
  const uint32_t span = info_.SpanLength();
  const uint32_t last = info_.last_header_offset;
  if (!SeekTo(*source_, last >= kSectorSize ? last - kSectorSize : 0)) return false;
  for (;;) {
    uint32_t offset;
    if (!FindHeaderBackward(*source_, sector_, offset, this)) return false;
    const SegmentHeader header = ParseSegmentHeader(sector_);
    // The segment must end inside the span: before the last header.
    const int64_t d = int64_t{offset} + kSectorSize - info_.first_header_offset;
    if (d >= 0 && d <= span && span - d >= header.payload_length) {
      current_ = offset;
      previous_ = PreviousHeaderOffset(offset, header);
      next_ = FollowingHeaderOffset(offset, header);  // play goes on from here
      positioned_ = true;
      return SeekTo(*source_, offset + kSectorSize) && ReadPayloadAndQueue(sector_, header);
    }
    if (offset == 0 || !SeekTo(*source_, offset - kSectorSize)) return false;
  }
}

bool SegmentReader::ReadPayload(const SegmentHeader& header) {
  return header.payload_length <= kPayloadBufferSize &&
         source_->Read(header.payload_length, payload_.get()) == header.payload_length;
}

bool SegmentReader::ReadPayloadAndQueue(const uint8_t* sector, const SegmentHeader& header) {
  return ReadPayload(header) && sets_.Scan(sector) && Queue(header);
}

void SegmentReader::Split(const SegmentHeader& header) {
  frames_.clear();
  group_starts_.clear();
  video_frames_.clear();
  SplitPayload(payload_.get(), header.payload_length, [&](const SplitFrame& f) {
    if (IsKeyFrame(f)) group_starts_.push_back(frames_.size());
    if (f.stream_kind == kVideoStream && !group_starts_.empty()) video_frames_.push_back(frames_.size());
    frames_.push_back(f);
    return true;
  });
}

bool SegmentReader::Queue(const SegmentHeader& header) {
  Split(header);
  const size_t groups = group_starts_.size();
  const auto group_end = [&](size_t g) { return g + 1 < groups ? group_starts_[g + 1] : frames_.size(); };
  switch (plan_) {
    case GroupPlan::kAll:
      QueueFrames(0, frames_.size(), header);
      return true;
    case GroupPlan::kLastFirst:  // frames before the first key frame cannot be decoded alone
      for (size_t g = groups; g-- > 0;) {
        if (!QueueFrames(group_starts_[g], group_end(g), header)) break;
      }
      return true;
    case GroupPlan::kFirstOnly:
      return groups > 0 && QueueFrames(group_starts_[0], group_end(0), header);
    case GroupPlan::kLastOnly:
      return groups > 0 && QueueFrames(group_starts_[groups - 1], frames_.size(), header);
  }
  return false;
}

bool SegmentReader::LoadSegment(uint32_t offset, SegmentHeader& header) {
  if (!SeekTo(*source_, offset) || source_->Read(kSectorSize, sector_) < kSectorSize || !IsHeaderSector(sector_))
    return false;
  header = ParseSegmentHeader(sector_);
  if (!ReadPayload(header)) return false;
  Split(header);
  return !video_frames_.empty();
}

// Moves to the segment before (direction < 0) or after the one at `offset`.
bool SegmentReader::LoadNeighbour(uint32_t& offset, SegmentHeader& header, int direction) {
  const uint32_t to = direction < 0 ? PreviousHeaderOffset(offset, header) : FollowingHeaderOffset(offset, header);
  if (direction < 0 ? to >= offset : to <= offset) return false;  // the first links to itself
  offset = to;
  return LoadSegment(offset, header);
}

// Walks from the current segment (or the one before, when reading went past
// the last) towards the one holding the picture with timestamp `shown`, up
// to 64 segments; that segment is then loaded and split, and `at` indexes
// the picture in video_frames_.
bool SegmentReader::FindShown(uint32_t shown, uint32_t& offset, SegmentHeader& header, size_t& at) {
  constexpr int kMaxHops = 64;
  offset = current_ < info_.first_header_offset ? info_.first_header_offset : current_;
  if (!LoadSegment(offset, header)) {
    if (!positioned_ || previous_ >= offset || !LoadSegment(previous_, header)) return false;
    offset = previous_;
  }
  int search = 0;  // the way the walk goes: towards `shown`
  at = 0;
  for (int hop = 0; hop < kMaxHops; ++hop) {
    if (hop > 0 && !LoadNeighbour(offset, header, search)) return false;
    const auto before = [&](size_t i) { return static_cast<int32_t>(frames_[video_frames_[i]].timestamp - shown) < 0; };
    const auto after = [&](size_t i) { return static_cast<int32_t>(frames_[video_frames_[i]].timestamp - shown) > 0; };
    const int way = before(video_frames_.size() - 1) ? 1 : after(0) ? -1 : 0;
    if (way == 0) {
      while (at + 1 < video_frames_.size() && before(at)) ++at;
      return true;
    }
    if (search == -way) return false;  // it lies between two segments: not a picture of the file
    search = way;
  }
  return false;
}

// The frame index of the key frame that starts the group holding frame `frame`.
size_t SegmentReader::GroupStartOf(size_t frame) const {
  size_t first = group_starts_.front();
  for (size_t g : group_starts_) first = g <= frame ? g : first;
  return first;
}

bool SegmentReader::ReadStep(uint32_t shown, int direction) {
  if (!source_) return false;
  const uint32_t start = current_ < info_.first_header_offset ? info_.first_header_offset : current_;
  uint32_t offset;
  SegmentHeader header;
  size_t at;
  bool queued = false;
  if (FindShown(shown, offset, header, at)) {
    const bool inside = direction < 0 ? at > 0 : at + 1 < video_frames_.size();
    if (inside || LoadNeighbour(offset, header, direction)) {
      const size_t target = inside ? (direction < 0 ? at - 1 : at + 1) : direction < 0 ? video_frames_.size() - 1 : 0;
      queued = QueueUpTo(video_frames_[target], header);
    }
  }
  return EndOneShot(queued, offset, start);
}

bool SegmentReader::ReadPicture(uint32_t offset, uint32_t timestamp) {
  if (!source_) return false;
  const uint32_t start = current_ < info_.first_header_offset ? info_.first_header_offset : current_;
  SegmentHeader header;
  bool queued = false;
  if (offset >= info_.first_header_offset && offset <= info_.last_header_offset && LoadSegment(offset, header)) {
    for (size_t v : video_frames_) {
      if (frames_[v].timestamp != timestamp) continue;
      queued = QueueUpTo(v, header);
      break;
    }
  }
  return EndOneShot(queued, offset, start);
}

// The video frames from the key frame of frame `last`'s group up to it;
// false, with the queue emptied, when they do not all fit.
bool SegmentReader::QueueUpTo(size_t last, const SegmentHeader& header) {
  bool queued = sets_.Scan(sector_);
  for (size_t i = GroupStartOf(last); queued && i <= last; ++i) {
    const SplitFrame& f = frames_[i];
    if (f.stream_kind != kVideoStream) continue;
    const FrameRecord record = MakeFrameRecord(f, header);
    queued = video_.Push(&record, f.box, f.size);
  }
  if (!queued) video_.Empty();
  return queued;
}

// After a one-shot picture: the next read of any direction starts with its
// segment, or where reading was (`start`) when nothing was queued.
bool SegmentReader::EndOneShot(bool queued, uint32_t offset, uint32_t start) {
  ClearPosition();
  current_ = queued ? offset : start;
  SeekTo(*source_, current_);
  if (queued) OnSearchPosition(offset);
  return queued;
}

bool SegmentReader::ReadResume(uint32_t shown, int direction, int& skip) {
  skip = 0;
  if (!source_ || seek_pending_.load()) return false;
  const uint32_t before = source_->Position();
  uint32_t offset;
  SegmentHeader header;
  size_t at;
  if (!FindShown(shown, offset, header, at) || !sets_.Scan(sector_)) {
    SeekTo(*source_, before);  // the usual read goes on from where it was
    return false;
  }
  const size_t frame = video_frames_[at], first = GroupStartOf(frame);
  bool queued;
  if (direction > 0) {  // the shown picture's group whole (it decodes from its key frame), sound after it
    for (size_t v : video_frames_) skip += v >= first && v <= frame;
    queued = QueueFrames(first, frames_.size(), header, frame + 1);
  } else {  // the groups before the picture, last first, its own up to the picture
    queued = frame == first || QueueFrames(first, frame, header);
    for (size_t g = group_starts_.size(); queued && g-- > 0;) {
      const size_t begin = group_starts_[g];
      if (begin < first) queued = QueueFrames(begin, g + 1 < group_starts_.size() ? group_starts_[g + 1] : frames_.size(), header);
    }
  }
  current_ = offset;
  previous_ = PreviousHeaderOffset(offset, header);
  next_ = FollowingHeaderOffset(offset, header);
  positioned_ = true;
  OnSearchPosition(offset);
  if (!queued) skip = 0;
  return true;
}

// False when the video queue was full: it is emptied and the rest dropped.
bool SegmentReader::QueueFrames(size_t begin, size_t end, const SegmentHeader& header, size_t sound_from) {
  for (size_t i = begin; i < end; ++i) {
    const SplitFrame& f = frames_[i];
    const FrameRecord record = MakeFrameRecord(f, header);
    if (f.stream_kind != kVideoStream) {
      if (i < sound_from) continue;
      if (!audio_.Push(&record, f.box, f.size)) {
        audio_.Empty();  // stale sound makes room
        audio_.Push(&record, f.box, f.size);
      }
      continue;
    }
    if (f.frame_kind == kKeyFrame) key_frame_seen_ = true;
    if (!key_frame_seen_) continue;
    if (!video_.Push(&record, f.box, f.size)) {
      host_.SleepMs(10);
      video_.Empty();
      return false;
    }
  }
  return true;
}

}  // namespace engine
