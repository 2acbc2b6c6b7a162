#include "recording_summary.h"

#include <memory>

namespace am4info {

using namespace backup;

RecordingSummary SummarizeRecording(ByteSource& source, const RecordingInfo& info) {
  RecordingSummary s;
  const auto payload = std::make_unique<uint8_t[]>(kPayloadBufferSize);
  uint8_t sector[kSectorSize];
  ParameterSetStore store;
  uint64_t next = info.first_header_offset;
  uint32_t offset = 0;
  while (next <= info.last_header_offset && SeekTo(source, static_cast<uint32_t>(next)) &&
         FindHeaderForward(source, sector, offset, nullptr) && offset <= info.last_header_offset) {
    const SegmentHeader header = ParseSegmentHeader(sector);
    ++s.segments;
    next = uint64_t{offset} + kSectorSize + uint64_t{header.data_sectors} * kSectorSize;
    const bool readable = header.payload_length <= kPayloadBufferSize &&
                          source.Read(header.payload_length, payload.get()) == header.payload_length;
    if (!readable || ScanParameterArea(sector, store) == 0) {
      ++s.bad_segments;
      continue;
    }
    const bool whole = SplitPayload(payload.get(), header.payload_length, [&](const SplitFrame& f) {
      if (f.stream_kind == kVideoStream) {
        ++s.video_frames;
        s.key_frames += f.frame_kind == kKeyFrame;
      } else {
        ++s.audio_frames;
      }
      return true;
    });
    s.bad_segments += !whole;
  }
  return s;
}

namespace {
void PrintTime(std::FILE* out, const char* key, const SegmentTime& t) {
  std::fprintf(out, "%s=%04u-%02u-%02u %02u:%02u:%02u\n", key, t.year, t.month, t.day, t.hour, t.minute, t.second);
}
}  // namespace

void PrintReport(std::FILE* out, int kind, const RecordingInfo* info, const RecordingSummary* summary) {
  std::fprintf(out, "kind=%d\n", kind);
  if (info) {
    std::fprintf(out, "first_header=%u\nlast_header=%u\nspan=%u\n", info->first_header_offset,
                 info->last_header_offset, info->SpanLength());
    PrintTime(out, "start", info->start_time);
    PrintTime(out, "end", info->end_time);
    std::fprintf(out, "format=%u\n", info->video_format);
  }
  if (summary) {
    std::fprintf(out, "segments=%u\nvideo_frames=%u\nkey_frames=%u\naudio_frames=%u\nbad_segments=%u\n",
                 summary->segments, summary->video_frames, summary->key_frames, summary->audio_frames,
                 summary->bad_segments);
  }
}

}  // namespace am4info
