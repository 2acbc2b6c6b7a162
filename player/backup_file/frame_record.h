// The 40-byte record in front of every frame in a packet queue. It is made
// from a box of a segment payload and the segment's header.
#pragma once
#include <cstddef>
#include <cstdint>

namespace backup {

enum StreamKind : int32_t { kVideoStream = 0, kAudioStream1 = 1, kAudioStream6 = 2 };
enum FrameKind : int32_t { kAudioFrame = 0, kKeyFrame = 1, kOtherFrame = 2 };

struct FrameRecord {
  int32_t stream_kind;     // StreamKind
  uint8_t zero1[8];
  int32_t frame_kind;      // FrameKind
  uint32_t timestamp;      // 90 kHz ticks
  uint8_t zero2[4];
  uint32_t data_length;    // the whole box, header included
  uint32_t date_word;      // header bytes 40-43: day, month, year - 1996
  uint32_t time_word;      // header bytes 44-47: second, minute, hour
  uint32_t frame_rate;     // video only; 0 for audio
};

static_assert(sizeof(FrameRecord) == 40);
static_assert(offsetof(FrameRecord, frame_kind) == 12);
static_assert(offsetof(FrameRecord, timestamp) == 16);
static_assert(offsetof(FrameRecord, data_length) == 24);
static_assert(offsetof(FrameRecord, date_word) == 28);
static_assert(offsetof(FrameRecord, time_word) == 32);
static_assert(offsetof(FrameRecord, frame_rate) == 36);

}  // namespace backup
