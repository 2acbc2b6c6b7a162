// The segment readers of the play modes: forward (play, fast forward,
// positioning forward), reverse (reverse play, rewind, positioning
// backward), first and last. Each reads one segment, keeps the position
// state around it and queues its frames.
#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "packet_queue.h"
#include "parameter_sets.h"
#include "recording.h"

namespace engine {

enum class ReaderKind { kForward, kReverse, kFirst, kLast };

// Which groups of pictures (a key frame and the frames up to the next) of a
// segment are queued, in what order. Reverse play shows each slot backwards,
// so it takes a segment's groups last first; a one-shot picture needs one.
enum class GroupPlan { kAll, kLastFirst, kFirstOnly, kLastOnly };

// What the readers need from the engine around them.
class ReaderHost {
 public:
  // A reader passed `position` (clamped to 0 .. span).
  virtual void ShowPosition(uint32_t position, uint32_t span) = 0;
  // Before a seek: empty the queues, the slots but the group on screen and
  // a pending key frame.
  virtual void PrepareSeek() = 0;
  // Sleeps ms milliseconds before a full video queue is emptied.
  virtual void SleepMs(int ms) = 0;
  // Asked at every sector a header search passes: false ends the search
  // (the worker is stopping).
  virtual bool KeepSearching() = 0;

 protected:
  ~ReaderHost() = default;
};

class SegmentReader : private backup::SearchObserver {
 public:
  SegmentReader(PacketQueue& video, PacketQueue& audio, SharedParameterSets& sets, ReaderHost& host);

  // A new file: clears the position state.
  void Start(backup::ByteSource* source, const backup::RecordingInfo& info);
  // The slider's request: the next read starts at fraction f of the span
  // (clamped to 0 .. 1), rounded down to a sector.
  void RequestSeek(double fraction);
  bool SeekPending() const { return seek_pending_.load(); }

  // Reads one segment and queues the groups of its plan; false when there is
  // none to read in that direction, it is bad, or a one-shot plan finds no
  // group. Forward reading only ever moves to a later header, reverse
  // reading to an earlier one.
  bool Read(ReaderKind kind, GroupPlan plan = GroupPlan::kAll);

  // One picture step from the picture with timestamp `shown`: finds its
  // segment (walking the links from the current one, up to 64 segments),
  // then queues the video frames from the key frame of the step's target up
  // to the target itself, the picture after (direction > 0) or before it,
  // across segments. False, with nothing queued, at the first or last
  // picture or when `shown` is not found. Afterwards a forward or reverse
  // read starts at the target's segment (the current one after a failure).
  bool ReadStep(uint32_t shown, int direction);
  // The picture with timestamp `timestamp` in the segment whose header is
  // at `offset`: the video frames from its group's key frame up to it are
  // queued, as a step queues its target. False, with nothing queued, when
  // there is no such picture. Later reads go on as after a step.
  bool ReadPicture(uint32_t offset, uint32_t timestamp);

  // Play or reverse play (direction < 0) going on from the picture with
  // timestamp `shown`: finds its segment as a step does, then queues forward
  // its group and the rest of the segment, the sound from the picture on
  // (`skip` is then how many pictures the display drops, the shown one
  // last), or backward the pictures before it, last group first. Later reads
  // go on from that segment. False, with nothing queued and the position
  // as it was, when `shown` is not found or a seek is pending.
  bool ReadResume(uint32_t shown, int direction, int& skip);

  uint32_t Current() const { return current_; }
  uint32_t Previous() const { return previous_; }
  uint32_t Next() const { return next_; }

 private:
  bool ReadForward();
  bool ReadReverse();
  bool ReadFirst();
  bool ReadLast();
  bool TakeSeek();
  // Reads and splits the segment whose header is at `offset`; `video_`
  // indices then list its video frames from its first key frame on.
  bool LoadSegment(uint32_t offset, backup::SegmentHeader& header);
  bool LoadNeighbour(uint32_t& offset, backup::SegmentHeader& header, int direction);
  void Split(const backup::SegmentHeader& header);
  bool ReadPayload(const backup::SegmentHeader& header);
  bool ReadPayloadAndQueue(const uint8_t* sector, const backup::SegmentHeader& header);
  bool Queue(const backup::SegmentHeader& header);
  // Frames begin .. end; sound only from index sound_from on.
  bool QueueFrames(size_t begin, size_t end, const backup::SegmentHeader& header, size_t sound_from = 0);
  bool FindShown(uint32_t shown, uint32_t& offset, backup::SegmentHeader& header, size_t& at);
  size_t GroupStartOf(size_t frame) const;
  bool QueueUpTo(size_t last, const backup::SegmentHeader& header);
  bool EndOneShot(bool queued, uint32_t offset, uint32_t start);
  bool OnSearchPosition(uint32_t position) override;
  void ClearPosition();

  PacketQueue& video_;
  PacketQueue& audio_;
  SharedParameterSets& sets_;
  ReaderHost& host_;
  backup::ByteSource* source_ = nullptr;
  backup::RecordingInfo info_;
  std::unique_ptr<uint8_t[]> payload_;
  uint8_t sector_[backup::kSectorSize];

  // Data-load worker only.
  GroupPlan plan_ = GroupPlan::kAll;
  std::vector<backup::SplitFrame> frames_;  // of the segment being queued
  std::vector<size_t> group_starts_;        // indices of its video key frames
  std::vector<size_t> video_frames_;        // video frames from the first key frame (steps)
  bool positioned_ = false;
  uint32_t previous_ = 0, current_ = 0, next_ = 0;  // next_ 0: no later header to go to
  bool key_frame_seen_ = false;  // for the life of the player

  // Set by the user-interface thread, taken by the data-load worker.
  std::atomic<bool> seek_pending_{false};
  std::atomic<uint32_t> seek_target_{0};
};

// Seek target of a slider fraction, clamped to the span, rounded down to a sector.
uint32_t SeekTarget(const backup::RecordingInfo& info, double fraction);

}  // namespace engine
