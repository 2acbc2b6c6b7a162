// framix.dll decodes fixture pictures in both set-ups, one picture for each
// frame fed, and refuses what does not fit.
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "decoder_fixture.h"
#include "mark_reader.h"

namespace framixtest {
namespace {

using engine::kPictureBytes;

std::vector<std::optional<mark::Mark>> Marks(const uint8_t* bgr, int width, int height) {
  const testsupport::PictureView view{bgr, width, height, width * 3, testsupport::PixelFormat::kBgr24};
  std::vector<std::optional<mark::Mark>> marks;
  for (int camera = 1; camera <= 4; ++camera) marks.push_back(testsupport::ReadQuarterMark(view, camera));
  return marks;
}

void ExpectMarks(const uint8_t* bgr, int width, int height, int picture) {
  const auto marks = Marks(bgr, width, height);
  for (int camera = 1; camera <= 4; ++camera) {
    EXPECT_EQ(marks[camera - 1], (mark::Mark{camera, picture})) << "camera " << camera;
  }
}

struct FixtureCase {
  const char* file;
  int width, height, pictures;
};

class SyncDecode : public testing::TestWithParam<FixtureCase> {};

TEST_P(SyncDecode, EveryFrameFedGivesItsOwnPictureWithTheRightMarks) {
  const FixtureCase& c = GetParam();
  const auto frames = FixtureFrames(std::string(FIXTURE_DIR "/") + c.file);
  ASSERT_EQ(frames.size(), static_cast<size_t>(c.pictures));
  OpenDecoder decoder(Mode::kSync);
  ASSERT_GE(decoder.handle(), 0);

  const auto output = std::make_unique<uint8_t[]>(kPictureBytes);
  for (int i = 0; i < c.pictures; ++i) {
    SCOPED_TRACE("picture " + std::to_string(i));
    engine::BitmapInfoHeader header{};
    auto params = Params(frames[i].bytes, output.get(), kPictureBytes, &header);
    ASSERT_GT(CODECAPI_DecodeFrameVideo(decoder.handle(), 0, &params), 0);
    ASSERT_EQ(params.width, c.width);
    ASSERT_EQ(params.height, c.height);
    EXPECT_EQ(header.size, 40u);
    EXPECT_EQ(header.width, c.width);
    EXPECT_EQ(header.height, -c.height);
    EXPECT_EQ(header.planes, 1);
    EXPECT_EQ(header.bit_count, 24);
    EXPECT_EQ(header.compression, 0u);
    EXPECT_EQ(header.image_size, kPictureBytes);
    ExpectMarks(output.get(), c.width, c.height, i);
    if (HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SyncDecode,
                         testing::Values(FixtureCase{"cams4_25fps.am4", 720, 576, 250},
                                         FixtureCase{"cams4_30fps_480.am4", 720, 480, 120}));

// Records what the call-back receives.
struct Received {
  int calls = 0;
  bool blocks_sound = true;
  std::thread::id thread;
  std::vector<uint8_t> last;
  int width = 0, height = 0;
};

int Receive(void* user, engine::DecodeFrameParams* block) {
  auto& r = *static_cast<Received*>(user);
  ++r.calls;
  r.thread = std::this_thread::get_id();
  r.blocks_sound = r.blocks_sound && block->size == sizeof *block && block->output &&
                   block->output_capacity == kPictureBytes && block->bitmap_header &&
                   block->bitmap_header->width == block->width && block->bitmap_header->height == -block->height;
  r.width = block->width;
  r.height = block->height;
  r.last.assign(block->output, block->output + kPictureBytes);
  return 0;
}

TEST(CallBackDecode, DeliversTheSamePicturesAsSyncModeOncePerFrame) {
  const auto frames = FixtureFrames(FIXTURE_DIR "/cams4_25fps.am4");
  OpenDecoder sync(Mode::kSync), calls_back(Mode::kCallBack);
  ASSERT_GE(sync.handle(), 0);
  ASSERT_GE(calls_back.handle(), 0);
  ASSERT_NE(sync.handle(), calls_back.handle());
  Received received;
  ASSERT_GT(CODECAPI_SetCallBack(calls_back.handle(), &received, Receive, 0), 0);

  const auto expected = std::make_unique<uint8_t[]>(kPictureBytes);
  const auto untouched = std::make_unique<uint8_t[]>(kPictureBytes);
  constexpr int kPictures = 30;
  for (int i = 0; i < kPictures; ++i) {
    SCOPED_TRACE("picture " + std::to_string(i));
    auto params = Params(frames[i].bytes, expected.get(), kPictureBytes);
    ASSERT_GT(CODECAPI_DecodeFrameVideo(sync.handle(), 0, &params), 0);

    std::memset(untouched.get(), 0x5A, kPictureBytes);
    auto ours = Params(frames[i].bytes, untouched.get(), kPictureBytes);
    ASSERT_GT(CODECAPI_DecodeFrameVideo(calls_back.handle(), 0, &ours), 0);
    ASSERT_EQ(received.calls, i + 1);
    EXPECT_TRUE(received.blocks_sound);
    EXPECT_EQ(received.thread, std::this_thread::get_id());
    EXPECT_EQ(ours.width, 720);
    EXPECT_EQ(ours.height, 576);
    ASSERT_EQ(received.width, 720);
    ASSERT_EQ(received.height, 576);
    ASSERT_EQ(std::memcmp(received.last.data(), expected.get(), 720 * 576 * 3), 0);
    ExpectMarks(received.last.data(), 720, 576, i);
    EXPECT_EQ(untouched[0], 0x5A) << "call-back mode leaves the caller's buffer alone";
  }
}

// One key frame over the limit in one direction; the wide one would fit the
// buffer byte-wise.
class OverSize : public testing::TestWithParam<std::tuple<const char*, Mode>> {};

TEST_P(OverSize, PictureIsRefusedWithNothingWrittenAndTheDecoderStaysUsable) {
  const auto [file, mode] = GetParam();
  const Bytes big = testsupport::ReadWholeFile(std::string(DATA_DIR "/") + file);
  ASSERT_FALSE(big.empty());
  OpenDecoder decoder(mode);
  ASSERT_GE(decoder.handle(), 0);
  Received received;
  if (mode == Mode::kCallBack) CODECAPI_SetCallBack(decoder.handle(), &received, Receive, 0);

  constexpr size_t kGuard = 4096;
  std::vector<uint8_t> output(kPictureBytes + kGuard, 0xA5);
  engine::BitmapInfoHeader header{};
  auto params = Params(big, output.data(), kPictureBytes, &header);
  params.width = params.height = -7;
  EXPECT_LE(CODECAPI_DecodeFrameVideo(decoder.handle(), 0, &params), 0);
  EXPECT_EQ(std::count(output.begin(), output.end(), 0xA5), static_cast<long>(output.size()));
  EXPECT_EQ(params.width, -7);
  EXPECT_EQ(header.size, 0u);
  EXPECT_EQ(received.calls, 0);

  const auto frames = FixtureFrames(FIXTURE_DIR "/cams4_25fps.am4");
  auto next = Params(frames[0].bytes, output.data(), kPictureBytes);
  ASSERT_GT(CODECAPI_DecodeFrameVideo(decoder.handle(), 0, &next), 0);
  ExpectMarks(mode == Mode::kSync ? output.data() : received.last.data(), 720, 576, 0);
}

INSTANTIATE_TEST_SUITE_P(KeyFrames, OverSize,
                         testing::Combine(testing::Values("key_1024x400.h264", "key_720x600.h264"),
                                          testing::Values(Mode::kSync, Mode::kCallBack)));

// A call-back that waits for another thread's decode on the same handle:
// that decode fails at once instead of waiting for the library's lock.
struct WaitingCall {
  int handle;
  const Bytes* frame;
  int other_result = 99;
  bool other_returned = false;
};

int WaitForAnotherDecode(void* user, engine::DecodeFrameParams*) {
  auto* w = static_cast<WaitingCall*>(user);
  auto other = std::async(std::launch::async, [w] {
    std::vector<uint8_t> out(kPictureBytes);
    auto params = Params(*w->frame, out.data(), kPictureBytes);
    return CODECAPI_DecodeFrameVideo(w->handle, 0, &params);
  });
  w->other_returned = other.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  if (!w->other_returned) {  // it hangs: nothing else to learn
    std::fputs("a decode during the call-back waits for the library\n", stderr);
    TerminateProcess(GetCurrentProcess(), 1);
  }
  w->other_result = other.get();
  return 0;
}

TEST(CallBackDecode, RunsWithNoLibraryLockHeldSoADecodeMeanwhileFailsAtOnce) {
  const auto frames = FixtureFrames(FIXTURE_DIR "/cams4_25fps.am4");
  OpenDecoder decoder(Mode::kCallBack);
  WaitingCall waiting{decoder.handle(), &frames[1].bytes};
  ASSERT_GT(CODECAPI_SetCallBack(decoder.handle(), &waiting, WaitForAnotherDecode, 0), 0);
  std::vector<uint8_t> unused(kPictureBytes);
  auto params = Params(frames[0].bytes, unused.data(), kPictureBytes);
  EXPECT_GT(CODECAPI_DecodeFrameVideo(decoder.handle(), 0, &params), 0);
  EXPECT_TRUE(waiting.other_returned);
  EXPECT_EQ(waiting.other_result, 0);
}

TEST(SyncDecodeCapacity, BufferSmallerThanThePictureIsRefusedWithoutAWritePastIt) {
  const auto frames = FixtureFrames(FIXTURE_DIR "/cams4_30fps_480.am4");
  OpenDecoder decoder(Mode::kSync);
  const uint32_t capacity = 720 * 480 * 3 - 1;
  std::vector<uint8_t> output(kPictureBytes, 0xA5);
  auto params = Params(frames[0].bytes, output.data(), capacity);
  EXPECT_LE(CODECAPI_DecodeFrameVideo(decoder.handle(), 0, &params), 0);
  EXPECT_TRUE(std::all_of(output.begin() + capacity, output.end(), [](uint8_t b) { return b == 0xA5; }));
}

TEST(MemClear, ForgetsReferencesSoANonKeyFrameNoLongerDecodesAndTheNextKeyFrameDoes) {
  const auto frames = FixtureFrames(FIXTURE_DIR "/cams4_25fps.am4");
  ASSERT_TRUE(frames[5].key);
  ASSERT_FALSE(frames[3].key);
  OpenDecoder decoder(Mode::kSync);
  std::vector<uint8_t> output(kPictureBytes);
  for (int i = 0; i < 3; ++i) {
    auto params = Params(frames[i].bytes, output.data(), kPictureBytes);
    ASSERT_GT(CODECAPI_DecodeFrameVideo(decoder.handle(), 0, &params), 0);
  }
  ASSERT_GT(CODECAPI_DecodeMemClear(decoder.handle(), 0), 0);

  std::fill(output.begin(), output.end(), 0);
  auto orphan = Params(frames[3].bytes, output.data(), kPictureBytes);
  EXPECT_LE(CODECAPI_DecodeFrameVideo(decoder.handle(), 0, &orphan), 0) << "its reference was forgotten";

  auto key = Params(frames[5].bytes, output.data(), kPictureBytes);
  ASSERT_GT(CODECAPI_DecodeFrameVideo(decoder.handle(), 0, &key), 0);
  ExpectMarks(output.data(), 720, 576, 5);
}

TEST(Handles, AreSmallDistinctAndReusedAfterUninit) {
  int handles[3];
  for (int& h : handles) {
    h = CODECAPI_DecodeInit(0, 1, nullptr, 0, 0);
    ASSERT_GE(h, 0);
    ASSERT_LT(h, 16);
  }
  EXPECT_NE(handles[0], handles[1]);
  EXPECT_NE(handles[1], handles[2]);
  EXPECT_NE(handles[0], handles[2]);
  EXPECT_GT(CODECAPI_DecodeUninit(handles[1]), 0);
  EXPECT_LE(CODECAPI_DecodeUninit(handles[1]), 0);
  const int again = CODECAPI_DecodeInit(0, 1, nullptr, 0, 0);
  EXPECT_EQ(again, handles[1]);
  for (int h : {handles[0], again, handles[2]}) EXPECT_GT(CODECAPI_DecodeUninit(h), 0);
}

TEST(BadCalls, FailWithoutTouchingAnything) {
  const auto frames = FixtureFrames(FIXTURE_DIR "/cams4_25fps.am4");
  OpenDecoder decoder(Mode::kSync);
  const int h = decoder.handle();
  std::vector<uint8_t> output(kPictureBytes, 0xA5);
  const auto good = Params(frames[0].bytes, output.data(), kPictureBytes);

  struct Case {
    const char* what;
    int handle;
    engine::DecodeFrameParams params;
  };
  auto with = [&](auto change) {
    auto p = good;
    change(p);
    return p;
  };
  const Case cases[] = {
      {"no decoder", -1, good},
      {"handle past the table", 16, good},
      {"handle never opened", 15, good},
      {"size of the other bitness's block", h, with([](auto& p) { p.size = sizeof(void*) == 8 ? 36 : 56; })},
      {"no input", h, with([](auto& p) { p.input = nullptr; })},
      {"empty input", h, with([](auto& p) { p.input_length = 0; })},
      {"no output in sync mode", h, with([](auto& p) { p.output = nullptr; })},
  };
  for (Case c : cases) {
    EXPECT_LE(CODECAPI_DecodeFrameVideo(c.handle, 0, &c.params), 0) << c.what;
  }
  EXPECT_LE(CODECAPI_DecodeFrameVideo(h, 0, nullptr), 0) << "no block";
  EXPECT_TRUE(std::all_of(output.begin(), output.end(), [](uint8_t b) { return b == 0xA5; }));
  EXPECT_LE(CODECAPI_DecodeMemClear(-1, 0), 0);
  EXPECT_LE(CODECAPI_SetCallBack(-1, nullptr, Receive, 0), 0);
  EXPECT_LE(CODECAPI_DecodeUninit(-1), 0);

  auto fine = good;
  EXPECT_GT(CODECAPI_DecodeFrameVideo(h, 0, &fine), 0) << "the decoder still works";
}

}  // namespace
}  // namespace framixtest
