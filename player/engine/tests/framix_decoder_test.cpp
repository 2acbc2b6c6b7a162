// The decode stage on the real Framix library, with faults raised inside the
// decoder on request while its locks are held.
#include "framix_decoder.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "backup_walk.h"
#include "framix_testing.h"
#include "mark_reader.h"
#include "segment_reader.h"

namespace engine {
namespace {

struct NoHost : ReaderHost {
  void ShowPosition(uint32_t, uint32_t) override {}
  bool KeepSearching() override { return true; }
  void PrepareSeek() override {}
  void SleepMs(int) override {}
};

// The first four segments of a fixture (groups of five) queued for decoding.
struct Decoding {
  Decoding()
      : file(testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/cams4_25fps.am4")),
        source(file.data(), static_cast<uint32_t>(file.size())),
        reader(video, audio, sets, host),
        stage(video, audio, slots, sets),
        decoder(stage) {
    backup::RecordingInfo info;
    EXPECT_TRUE(backup::ProbeSource(source, info));
    reader.Start(&source, info);
    EXPECT_TRUE(reader.Read(ReaderKind::kFirst));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(reader.Read(ReaderKind::kForward));
    stage.SetDecoder(&decoder);
    EXPECT_TRUE(decoder.Init(13, nullptr));
  }

  // Decodes everything queued, faulting at frame `fault_at`; returns camera
  // 1's picture numbers in the order shown.
  std::vector<int> Run(int fault_at, int where) {
    std::vector<int> shown;
    for (int frame = 0; video.EntryCount() > 0 || stage.HasPending() || slots.ReadReady(); ++frame) {
      if (frame == fault_at) EXPECT_EQ(FRAMIX_FaultNextDecode(decoder.Handle(), where), 1);
      stage.DecodeStep(DecodeScope::kEveryFrame);
      Show(shown);
    }
    stage.CloseWriteSlot();
    Show(shown);
    return shown;
  }

  void Show(std::vector<int>& shown) {
    while (slots.ReadReady()) {
      while (slots.ReadSlot().count.load() > 0) {
        const PictureEntry& p = slots.Forward();
        const testsupport::PictureView view{p.pixels, p.bitmap_info.header.width, -p.bitmap_info.header.height,
                                            p.bitmap_info.header.width * 3, testsupport::PixelFormat::kBgr24};
        const auto mark = testsupport::ReadQuarterMark(view, 1);
        shown.push_back(mark ? mark->picture : -1);
        slots.AdvanceForward();
      }
      slots.Recycle();
    }
  }

  testsupport::Bytes file;
  backup::MemorySource source;
  PacketQueue video, audio;
  SharedParameterSets sets;
  NoHost host;
  SegmentReader reader;
  PictureSlots slots;
  DecodeStage stage;
  FramixDecoder decoder;
};

std::vector<int> Without(std::vector<int> v, std::initializer_list<int> gone) {
  for (int g : gone) v.erase(std::find(v.begin(), v.end(), g));
  return v;
}

TEST(FramixDecoder, AFaultInsideTheDecoderLosesItsGroupAndDecodingGoesOnAtTheNextKeyFrame) {
  std::vector<int> all;
  for (int i = 0; i < 20; ++i) all.push_back(i);
  for (int where : {kFaultInSystemDecoder, kFaultInLibraryCode}) {
    SCOPED_TRACE(where == kFaultInSystemDecoder ? "in the system's decoder" : "in the library, its locks held");
    auto d = std::make_unique<Decoding>();
    // A hang here is the fault this test is for: give it a bounded time.
    auto run = std::async(std::launch::async, [&] { return d->Run(2, where); });
    if (run.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
      ADD_FAILURE() << "decoding hangs after the fault";
      std::fflush(stdout);
      TerminateProcess(GetCurrentProcess(), 1);
    }
    EXPECT_EQ(run.get(), Without(all, {2, 3, 4})) << "frames 3 and 4 wait for a key frame";
    EXPECT_EQ(d->decoder.Abandoned(), where == kFaultInLibraryCode ? 1 : 0);
  }
}

}  // namespace
}  // namespace engine
