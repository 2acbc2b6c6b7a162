// What a backup file's recording holds, counted the way playback reads it.
#pragma once
#include <cstdint>
#include <cstdio>

#include "recording.h"

namespace am4info {

struct RecordingSummary {
  uint32_t segments = 0;
  uint32_t video_frames = 0, key_frames = 0, audio_frames = 0;
  uint32_t bad_segments = 0;  // unreadable payload, no parameter sets, or a split that failed
};

// Walks forward from the first header, segment by segment (each next header
// searched from the end of the previous segment), up to the last header.
// Frames taken before a split failed are counted, as playback queues them.
RecordingSummary SummarizeRecording(backup::ByteSource& source, const backup::RecordingInfo& info);

// The "key=value" lines of a file of kind `kind`; info and summary only for kind 3.
void PrintReport(std::FILE* out, int kind, const backup::RecordingInfo* info, const RecordingSummary* summary);

}  // namespace am4info
