#include "recording_frames.h"

#include <memory>

#include "decode_stage.h"
#include "file_io.h"
#include "framix_decoder.h"

namespace am4frames {
namespace {

using namespace backup;

// Everything a run needs; large, so it lives on the heap.
struct Pipeline : SegmentVisitor {
  Pipeline(const PictureSink& sink, const SegmentFilter& wanted, SearchObserver* stop)
      : stage(video, audio, slots, sets),
        decoder(stage),
        sink(sink),
        wanted(wanted),
        stop(stop),
        payload(new uint8_t[kPayloadBufferSize]) {
    stage.SetDecoder(&decoder);
  }

  void OnSegment(uint32_t offset, const uint8_t* sector, const SegmentHeader& header, const uint8_t* data) override {
    if (!data || !sets.Scan(sector)) return;
    const SegmentDecode decode = wanted ? wanted(offset) : SegmentDecode::kAll;
    if (decode != SegmentDecode::kAll) Flush();  // the pictures decoded before keep their numbers
    SplitPayload(data, header.payload_length, [&](const SplitFrame& f) {
      if (f.stream_kind != kVideoStream) return true;
      if (decode == SegmentDecode::kNothing || (decode == SegmentDecode::kKeyFrames && f.frame_kind != kKeyFrame)) {
        ++shown;
        return true;
      }
      const FrameRecord record = MakeFrameRecord(f, header);
      video.Push(&record, f.box, f.size);
      if (decode == SegmentDecode::kKeyFrames) Flush();
      return true;
    });
    while (video.EntryCount() > 0 && !(stop && !stop->OnSearchPosition(offset))) Step();
  }

  void Step() {
    stage.DecodeStep(engine::DecodeScope::kEveryFrame);
    Show();
  }

  void Show() {
    while (slots.ReadReady()) {
      while (slots.ReadSlot().count.load() > 0) {
        sink(shown++, slots.Forward());
        slots.AdvanceForward();
      }
      slots.Recycle();
    }
  }

  // Shows every picture decoded so far.
  void Flush() {
    Step();  // a pending key frame
    stage.CloseWriteSlot();
    Show();
  }

  engine::PacketQueue video, audio;
  engine::PictureSlots slots;
  engine::SharedParameterSets sets;
  engine::DecodeStage stage;
  engine::FramixDecoder decoder;
  const PictureSink& sink;
  const SegmentFilter& wanted;
  SearchObserver* const stop;
  std::unique_ptr<uint8_t[]> payload;
  int shown = 0;
};

}  // namespace

bool DecodeRecording(const wchar_t* path, int64_t format_code, const PictureSink& sink,
                     const SegmentFilter& wanted, SearchObserver* stop) {
  RecordingInfo info;
  FileIO file;
  if (ClassifyFile(path) != 3 || !ProbeRecording(path, info) || !file.Open(path, 1)) return false;
  auto pipeline = std::make_unique<Pipeline>(sink, wanted, stop);
  if (!pipeline->decoder.Init(format_code >= 0 ? static_cast<uint32_t>(format_code) : info.video_format, nullptr))
    return false;
  ReadSegments(file, info, pipeline->payload.get(), *pipeline, stop);
  pipeline->Flush();
  return true;
}

}  // namespace am4frames
