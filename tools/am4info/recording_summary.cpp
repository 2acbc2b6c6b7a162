#include "recording_summary.h"

#include <memory>

namespace am4info {

using namespace backup;

namespace {

class Counter : public SegmentVisitor {
 public:
  void OnSegment(uint32_t, const uint8_t* sector, const SegmentHeader& header, const uint8_t* payload) override {
    ++summary.segments;
    if (!payload || ScanParameterArea(sector, store_) == 0) {
      ++summary.bad_segments;
      return;
    }
    const bool whole = SplitPayload(payload, header.payload_length, [&](const SplitFrame& f) {
      if (f.stream_kind == kVideoStream) {
        ++summary.video_frames;
        summary.key_frames += f.frame_kind == kKeyFrame;
      } else {
        ++summary.audio_frames;
      }
      return true;
    });
    summary.bad_segments += !whole;
  }

  RecordingSummary summary;

 private:
  ParameterSetStore store_;
};

}  // namespace

RecordingSummary SummarizeRecording(ByteSource& source, const RecordingInfo& info) {
  const auto payload = std::make_unique<uint8_t[]>(kPayloadBufferSize);
  Counter counter;
  ReadSegments(source, info, payload.get(), counter);
  return counter.summary;
}

namespace {
void PrintTime(std::FILE* out, const char* key, const CaptureTime& t) {
  std::fprintf(out, "%s=%s\n", key, FormatTime(t, TimeForm::kDashed).c_str());
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
