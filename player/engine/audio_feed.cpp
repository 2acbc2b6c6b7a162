#include "audio_feed.h"

#include "qbox_job.h"

namespace engine {

AudioFeed::AudioFeed(AudioDecoder& decoder)
    : decoder_(decoder), frame_(new uint8_t[kFrameBytes]), input_(new uint8_t[kInputBytes]) {}

void AudioFeed::Feed(PacketQueue& queue, AudioSink& sink) {
  if (!sink.CanTakeBlocks()) return;
  if (sink.BufferedMs() >= sink.ThresholdMs()) {
    DecodeOne(queue, sink);
    return;
  }
  while (sink.BufferedMs() < sink.ThresholdMs()) {
    if (!DecodeOne(queue, sink) || !sink.CanTakeBlocks()) return;
  }
}

bool AudioFeed::DecodeOne(PacketQueue& queue, AudioSink& sink) {
  backup::FrameRecord record;
  if (queue.EntryCount() == 0 || !queue.Pop(&record, frame_.get())) return false;
  if (record.data_length == 0) return true;

  // Payloads that do not fit the input buffer are not extracted: such a
  // frame gives nothing to decode and is skipped.
  static const backup::ParameterSetStore kNoParameterSets;
  QBoxJob job{sizeof(QBoxJob), record.data_length, 0, 0, frame_.get(), nullptr, input_.get(), 0, kInputBytes};
  RunQBoxJob(job, kNoParameterSets, false);
  if (job.audio_length == 0) return true;

  const uint32_t produced = decoder_.Decode(input_.get(), job.audio_length, accumulator_.WriteAt(),
                                            accumulator_.Room());
  const uint32_t block = sink.BlockBytes();
  if (accumulator_.Commit(produced, block) == PcmAccumulator::kBlockFull) {
    sink.PushBlock(accumulator_.data(), block, record.timestamp);
  }
  return true;
}

}  // namespace engine
