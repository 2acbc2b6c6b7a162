#include "decode_stage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "../../backup_file/tests/box_builder.h"

namespace engine {
namespace {

using backup::testing::Box;
using backup::testing::Bytes;
using backup::testing::Nals;

// Paints each picture with the number carried in its slice, so a test can
// tell which frame a stored picture came from.
class FakeDecoder : public VideoDecoder {
 public:
  explicit FakeDecoder(DecodeStage& stage) : stage_(stage), picture_(kPictureBytes) {}

  int Decode(DecodeFrameParams& p) override {
    ++decodes;
    const uint8_t number = p.input[p.input_length - 1];  // last byte of the slice
    if (number == fail_on) return 0;
    if (reset_during_decode) stage_.Invalidate();
    uint8_t* out = call_back ? picture_.data() : p.output;
    std::fill(out, out + kPictureBytes, number);
    DecodeFrameParams block = p;
    block.width = width;
    block.height = 576;
    block.output = out;
    if (call_back) return stage_.StorePicture(block), 1;
    p.width = block.width;
    p.height = block.height;
    return 1;
  }
  void ClearMemory() override { ++clears; }
  bool CallsBack() const override { return call_back; }

  bool call_back = false, reset_during_decode = false;
  int width = 720, fail_on = -1, decodes = 0, clears = 0;

 private:
  DecodeStage& stage_;
  std::vector<uint8_t> picture_;
};

struct Engine {
  Engine() : stage(video, audio, slots, sets), decoder(stage) {
    backup::ParameterSetStore stand_in;  // an SPS and PPS
    stand_in.length = 8;
    std::fill(stand_in.bytes, stand_in.bytes + 8, 0x67);
    sets.Set(stand_in);
    stage.SetDecoder(&decoder);
  }

  // Queues frames: 'K' a key frame, 'P' another; numbered from `first`.
  void Queue(const char* kinds, int first = 0, uint32_t rate = 30, uint32_t second = 59) {
    for (int i = 0; kinds[i]; ++i) {
      const bool key = kinds[i] == 'K';
      const Bytes box = Box(2, Nals({{static_cast<uint8_t>(key ? 0x65 : 0x41), static_cast<uint8_t>(first + i)}}),
                            key ? 4 : 0, static_cast<uint32_t>(first + i) * 3000);
      backup::FrameRecord r{};
      r.stream_kind = backup::kVideoStream;
      r.frame_kind = key ? backup::kKeyFrame : backup::kOtherFrame;
      r.timestamp = static_cast<uint32_t>(first + i) * 3000;
      r.date_word = 31 | 12 << 8 | 30 << 16;  // 31 December 2026
      r.time_word = second | 59 << 8 | 23 << 16;
      r.frame_rate = rate;
      ASSERT_TRUE(video.Push(&r, box.data(), static_cast<uint32_t>(box.size())));
    }
  }

  // Runs the decompress worker until the queue is empty, showing ready slots
  // as the display side does; returns each slot's pictures by number.
  std::vector<std::vector<int>> Run(DecodeScope scope = DecodeScope::kEveryFrame) {
    std::vector<std::vector<int>> shown;
    for (int guard = 0; guard < 1000 && (video.EntryCount() > 0 || slots.ReadReady()); ++guard) {
      stage.DecodeStep(scope);
      Show(shown);
    }
    stage.DecodeStep(scope);  // a pending key frame
    Show(shown);
    stage.CloseWriteSlot();  // the last group, as at the end of a one-shot decode
    Show(shown);
    return shown;
  }

  void Show(std::vector<std::vector<int>>& shown) {
    while (slots.ReadReady()) {
      std::vector<int> numbers;
      while (slots.ReadSlot().count.load() > 0) {
        numbers.push_back(slots.Forward().pixels[kPictureBytes - 1]);
        slots.AdvanceForward();
      }
      shown.push_back(numbers);
      slots.Recycle();
    }
  }

  PacketQueue video, audio;
  PictureSlots slots;
  SharedParameterSets sets;
  DecodeStage stage;
  FakeDecoder decoder;
};

using Groups = std::vector<std::vector<int>>;

TEST(DecodeStage, OneSlotPerGroupOfPictures) {
  auto e = std::make_unique<Engine>();
  e->Queue("KPPPPKPPKKP");
  EXPECT_EQ(e->Run(), (Groups{{0, 1, 2, 3, 4}, {5, 6, 7}, {8}, {9, 10}})) << "two key frames in a row: one picture";
}

TEST(DecodeStage, OnlyTheKeyFrameAndNineMoreOfALongGroupAreDecoded) {
  auto e = std::make_unique<Engine>();
  e->Queue("KPPPPPPPPPPPPPPPPPPPPPPPPPPPPP");  // 1 + 29
  e->Queue("KP", 30);
  EXPECT_EQ(e->Run(), (Groups{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {30, 31}}));
}

TEST(DecodeStage, FastModesDecodeKeyFramesOnly) {
  for (WorkerCommand command : {WorkerCommand::kFastForward, WorkerCommand::kRewind}) {
    auto e = std::make_unique<Engine>();
    e->Queue("KPPKPPK");
    EXPECT_EQ(e->Run(DecodeScopeOf(command)), (Groups{{0}, {3}, {6}})) << static_cast<int>(command);
  }
}

TEST(DecodeStage, DecoderFailureClearsItsMemoryAndRefusesUntilAKeyFrame) {
  auto e = std::make_unique<Engine>();
  e->decoder.fail_on = 2;
  e->Queue("KPPPPKP");
  EXPECT_EQ(e->Run(), (Groups{{0, 1}, {5, 6}}));
  EXPECT_EQ(e->decoder.clears, 1);
  EXPECT_EQ(e->decoder.decodes, 5) << "frames 3 and 4 are refused before decoding";
}

TEST(DecodeStage, CallBackModeStoresTheSamePictures) {
  auto e = std::make_unique<Engine>();
  e->decoder.call_back = true;
  e->Queue("KPPPPKPPKKP");
  EXPECT_EQ(e->Run(), (Groups{{0, 1, 2, 3, 4}, {5, 6, 7}, {8}, {9, 10}}));
}

TEST(DecodeStage, StoredPicturesCarryTimeRateAndATopDownHeader) {
  auto e = std::make_unique<Engine>();
  e->Queue("KP", 0, 25, 58);
  e->stage.DecodeStep(DecodeScope::kEveryFrame);
  e->stage.DecodeStep(DecodeScope::kEveryFrame);
  const PictureEntry& second = e->slots.WriteSlot().entries[1];
  EXPECT_EQ(second.timestamp, 3000u);
  EXPECT_EQ(second.frame_rate, 25u);
  EXPECT_EQ(second.key, 0);
  EXPECT_EQ(second.capture_time.year, 2026);
  EXPECT_EQ(second.capture_time.second, 58);
  EXPECT_EQ(second.bitmap_info.header.width, 720);
  EXPECT_EQ(second.bitmap_info.header.height, -576);
  EXPECT_EQ(second.bitmap_info.header.bit_count, 24);
  EXPECT_EQ(second.bitmap_info.header.image_size, kPictureBytes);
}

TEST(DecodeStage, OversizePicturesAndPicturesOfAnEarlierPositionAreDropped) {
  auto e = std::make_unique<Engine>();
  e->decoder.width = 800;
  e->Queue("KP");
  e->stage.DecodeStep(DecodeScope::kEveryFrame);
  EXPECT_EQ(e->slots.WriteSlot().count.load(), 0);

  auto f = std::make_unique<Engine>();
  f->decoder.reset_during_decode = true;  // a seek arrives while the decoder works
  f->Queue("KP");
  f->stage.DecodeStep(DecodeScope::kEveryFrame);
  EXPECT_EQ(f->slots.WriteSlot().count.load(), 0);
}

TEST(DecodeStage, WaitForAFreeSlotEndsWhenInvalidated) {
  auto e = std::make_unique<Engine>();
  e->Queue("KKK");
  e->stage.DecodeStep(DecodeScope::kEveryFrame);  // slot 0 holds frame 0
  e->stage.DecodeStep(DecodeScope::kEveryFrame);  // frame 1 pending
  e->stage.DecodeStep(DecodeScope::kEveryFrame);  // closes slot 0, slot 1 holds frame 1
  e->stage.DecodeStep(DecodeScope::kEveryFrame);  // frame 2 pending
  std::atomic<bool> invalidated{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    invalidated = true;
    e->stage.Invalidate();
  });
  e->stage.DecodeStep(DecodeScope::kEveryFrame);  // both slots full: waits until invalidated
  EXPECT_TRUE(invalidated) << "returned before the slot wait ended";
  stopper.join();
  EXPECT_EQ(e->slots.Slot(0).count.load(), 1);
  EXPECT_EQ(e->slots.Slot(1).count.load(), 1);
  EXPECT_EQ(e->slots.Slot(1).ready.load(), 1);
}

TEST(DecodeStage, AFramePoppedBeforeAResetIsNotStored) {
  auto e = std::make_unique<Engine>();
  e->Queue("K");
  std::thread step;
  // The step pops the frame, then waits for the parameter sets this thread holds.
  e->sets.With([&](const backup::ParameterSetStore&) {
    step = std::thread([&] { e->stage.DecodeStep(DecodeScope::kEveryFrame); });
    for (int ms = 0; ms < 2000 && e->video.EntryCount() > 0; ++ms) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    e->stage.ResetSlots();  // a seek or a mode change
    return 0;
  });
  step.join();
  EXPECT_EQ(e->decoder.decodes, 1);
  EXPECT_EQ(e->slots.WriteSlot().count.load(), 0) << "a picture of the old position was stored";
}

}  // namespace
}  // namespace engine
