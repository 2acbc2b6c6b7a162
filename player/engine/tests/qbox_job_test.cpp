#include "qbox_job.h"

#include <gtest/gtest.h>

#include "../../backup_file/tests/box_builder.h"

namespace engine {
namespace {

using namespace backup::testing;

TEST(QBoxJob, CollectsAudioPayloadsWithinTheOutputsCapacity) {
  const Bytes frames = Concat({Box(1, Bytes(1000, 0x11)), Box(2, Nals({{0x41, 1}})), Box(6, Bytes(500, 0x22)),
                               Box(1, Bytes(300 * 1024, 0x33))});  // the last one does not fit
  Bytes audio(256 * 1024, 0);
  QBoxJob job{sizeof(QBoxJob), static_cast<uint32_t>(frames.size()), 0, 0, frames.data(), nullptr, audio.data(),
              0, static_cast<uint32_t>(audio.size())};
  EXPECT_EQ(RunQBoxJob(job, {}, false), 0u) << "no video is converted while collecting audio";
  EXPECT_EQ(job.audio_length, 1500u);
  EXPECT_EQ(audio[999], 0x11);
  EXPECT_EQ(audio[1000], 0x22);
  EXPECT_EQ(audio[1500], 0);
}

TEST(QBoxJob, ConvertsVideoAndStopsAtABoxWithoutFlagBitZero) {
  backup::ParameterSetStore store;
  store.length = 5;
  const uint8_t sps[5] = {0, 0, 0, 1, 0x67};
  std::copy(sps, sps + 5, store.bytes);
  const Bytes frames = Concat({Box(2, Nals({{0x65, 1}}), 4), Box(5, Nals({{0x41, 2}})), Box(2, Nals({{0x41, 3}}), 0, 0, 2)});
  Bytes video(64, 0);
  QBoxJob job{sizeof(QBoxJob) + 1, static_cast<uint32_t>(frames.size()), 0, 0, frames.data(), video.data(),
              nullptr, 64, 0};  // a wrong size field is reported and the job still runs
  EXPECT_EQ(RunQBoxJob(job, store, true), 17u);
  EXPECT_EQ(Bytes(video.begin(), video.begin() + 17),
            (Bytes{0, 0, 0, 1, 0x67, 0, 0, 0, 1, 0x65, 1, 0, 0, 0, 1, 0x41, 2}));
}

}  // namespace
}  // namespace engine
