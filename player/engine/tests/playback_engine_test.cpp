// The engine on fixtures with a headless view that records what is shown.
#include "playback_engine.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "backup_walk.h"
#include "mark_reader.h"

namespace engine {
namespace {

struct Shown {
  int picture;  // camera 1's mark, -1 when unreadable
  int mode;
  int year;
  uint32_t tick;
};

class RecordingView : public EngineView {
 public:
  void OnModeChanged(int, int mode) override {
    std::lock_guard<std::mutex> hold(lock_);
    modes_.push_back(mode);
  }
  void OnPicture(const PictureEntry& p, int mode) override {
    const int width = p.bitmap_info.header.width, height = -p.bitmap_info.header.height;
    const testsupport::PictureView view{p.pixels, width, height, width * 3, testsupport::PixelFormat::kBgr24};
    const auto mark = testsupport::ReadQuarterMark(view, 1);
    std::lock_guard<std::mutex> hold(lock_);
    shown_.push_back({mark ? mark->picture : -1, mode, p.capture_time.year, GetTickCount()});
  }
  void OnPosition(uint32_t position, uint32_t span) override { EXPECT_LE(position, span); }
  void OnAudioControlsEnabled(bool enabled) override {
    std::lock_guard<std::mutex> hold(lock_);
    controls_.push_back(enabled);
  }

  std::vector<Shown> TakeShown() {
    std::lock_guard<std::mutex> hold(lock_);
    return std::exchange(shown_, {});
  }
  std::vector<int> Pictures() {
    std::vector<int> out;
    for (const Shown& s : TakeShown()) out.push_back(s.picture);
    return out;
  }
  std::vector<bool> Controls() {
    std::lock_guard<std::mutex> hold(lock_);
    return controls_;
  }

 private:
  std::mutex lock_;
  std::vector<int> modes_;
  std::vector<Shown> shown_;
  std::vector<bool> controls_;
};

// Records what the engine asks of the sound output.
class FakeAudio : public AudioOutput {
 public:
  bool Open(void*) override { return opens; }
  void Close() override {}
  void Feed(PacketQueue& queue) override {
    EXPECT_TRUE(opens) << "fed although it could not open";
    fed = fed || queue.EntryCount() > 0;
  }
  void StartIfReady() override { ++starts; }
  void Stop() override {}
  void StopAndEmpty() override {}
  void SetVideoTime(uint32_t) override {}
  void SetMuted(bool m) override { muted = m; }

  std::atomic<bool> muted{true}, fed{false}, opens{true};
  std::atomic<int> starts{0};
};

std::wstring Fixture(const char* name) {
  const std::string path = std::string(FIXTURE_DIR) + "/" + name;
  return std::wstring(path.begin(), path.end());
}

// A copy of a fixture, changed by `damage`, in a temporary file that goes with it.
class DamagedCopy {
 public:
  template <class Damage>
  DamagedCopy(const char* fixture, Damage damage) {
    auto file = testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/" + fixture);
    damage(file, testsupport::WalkSegments(file));
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"dmg", 0, path_);
    HANDLE h = CreateFileW(path_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(h);
  }
  ~DamagedCopy() { DeleteFileW(path_); }
  const wchar_t* path() const { return path_; }

 private:
  wchar_t path_[MAX_PATH];
};

class PlaybackEngineTest : public testing::Test {
 protected:
  void SetUp() override { engine_ = std::make_unique<PlaybackEngine>(view_, &audio_); }
  void TearDown() override { engine_->StopEngine(); }

  // Starts a fixture and waits for its first picture.
  void Start(const char* fixture) {
    ASSERT_TRUE(engine_->StartPlayback(Fixture(fixture).c_str(), nullptr));
    WaitPaused();
  }
  void WaitPaused(int limit_ms = 30000) {
    Sleep(50);
    for (int ms = 0; ms < limit_ms && engine_->PlayMode() != kModePause; ms += 10) Sleep(10);
    ASSERT_EQ(engine_->PlayMode(), kModePause);
  }
  void Play(int mode) {
    engine_->SetPlayMode(mode);
    WaitPaused();
  }

  RecordingView view_;
  FakeAudio audio_;
  std::unique_ptr<PlaybackEngine> engine_;
};

std::vector<int> Range(int from, int to, int step = 1) {
  std::vector<int> v;
  for (int i = from; step > 0 ? i < to : i > to; i += step) v.push_back(i);
  return v;
}

TEST_F(PlaybackEngineTest, FirstPositionShowsPictureZeroThenPauses) {
  Start("cams4_30fps_480.am4");
  EXPECT_EQ(view_.Pictures(), std::vector<int>{0});
}

TEST_F(PlaybackEngineTest, PlayShowsEveryPictureInOrderAtTheFrameRateThenPauses) {
  Start("cams4_30fps_480.am4");
  view_.TakeShown();
  Play(kModePlay);
  const auto shown = view_.TakeShown();
  ASSERT_GE(shown.size(), 100u) << "late pictures may be skipped, but hardly any";
  for (size_t i = 1; i < shown.size(); ++i) EXPECT_GT(shown[i].picture, shown[i - 1].picture);
  EXPECT_EQ(shown.back().picture, 119);
  EXPECT_TRUE(audio_.fed);
  EXPECT_GT(audio_.starts.load(), 0);
  EXPECT_TRUE(audio_.muted) << "sound stays muted until switched on";
  // 30 pictures a second: the run from picture 10 to the end takes about 3.63 s.
  const Shown* from = nullptr;
  for (const Shown& s : shown) from = !from && s.picture >= 10 ? &s : from;
  ASSERT_NE(from, nullptr);
  const double ms_per_picture = double(shown.back().tick - from->tick) / (shown.back().picture - from->picture);
  EXPECT_NEAR(ms_per_picture, 1000.0 / 30, 1.5);
}

TEST_F(PlaybackEngineTest, LastThenReversePlayGoesBackAcrossSegmentsToTheStart) {
  Start("cams4_30fps_480.am4");
  view_.TakeShown();
  Play(kModeLast);
  EXPECT_EQ(view_.Pictures(), std::vector<int>{109}) << "last picture of the segment before the last header";
  Play(kModeReverse);
  const auto pictures = view_.Pictures();
  ASSERT_GE(pictures.size(), 90u);
  for (size_t i = 1; i < pictures.size(); ++i) EXPECT_LT(pictures[i], pictures[i - 1]);
  EXPECT_EQ(pictures.back(), 0);
}

TEST_F(PlaybackEngineTest, FastForwardShowsKeyPicturesEveryOtherOrEvery) {
  for (int speed : {0, 1}) {
    SCOPED_TRACE(speed);
    engine_->SetSpeedIndex(speed);
    Start("cams4_30fps_480.am4");
    view_.TakeShown();
    Play(kModeFastForward);
    EXPECT_EQ(view_.Pictures(), speed == 0 ? Range(10, 120, 20) : Range(10, 120, 10));
  }
}

TEST_F(PlaybackEngineTest, SeekWhilePausedShowsOnePictureOfTheTargetSegment) {
  Start("cams4_30fps_480.am4");
  const auto segments = testsupport::WalkSegments(testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/cams4_30fps_480.am4"));
  for (double f : {0.75, 0.25, 0.5, 1.0, 0.0}) {
    SCOPED_TRACE(f);
    view_.TakeShown();
    engine_->SeekTo(f);
    WaitPaused();
    const uint32_t target = SeekTarget(engine_->Info(), f);
    int expected;
    if (f > 0.5) {  // the last picture of the segment at or before the target
      size_t s = 0;
      while (s + 1 < segments.size() && segments[s + 1].offset <= target) ++s;
      expected = static_cast<int>(s) * 10 + 9;
    } else {  // the first picture of the segment at or after it
      size_t s = 0;
      while (segments[s].offset < target) ++s;
      expected = static_cast<int>(s) * 10;
    }
    EXPECT_EQ(view_.Pictures(), std::vector<int>{expected});
  }
}

TEST_F(PlaybackEngineTest, PauseThenPlayGoesOnFromThePicturesQueued) {
  Start("cams4_25fps.am4");
  engine_->SetPlayMode(kModePlay);
  Sleep(1500);
  engine_->SetPlayMode(kModePause);
  Sleep(300);
  const auto before = view_.Pictures();
  ASSERT_FALSE(before.empty());
  engine_->SetPlayMode(kModePlay);
  Sleep(400);
  engine_->SetPlayMode(kModePause);
  const auto after = view_.Pictures();
  ASSERT_FALSE(after.empty()) << "no quiesce: play goes on at once";
  EXPECT_EQ(after.front(), before.back() + 1);
}

TEST_F(PlaybackEngineTest, DelayAddsFiftyMillisecondsPerStepAndMutes) {
  Start("cams4_30fps_480.am4");
  engine_->SetAudioEnabled(true);
  EXPECT_FALSE(audio_.muted);
  engine_->SetDelayIndex(3);
  view_.TakeShown();
  engine_->SetPlayMode(kModePlay);
  Sleep(2500);
  engine_->SetPlayMode(kModePause);
  const auto shown = view_.TakeShown();
  ASSERT_GE(shown.size(), 8u);
  const double ms_per_picture = double(shown.back().tick - shown[1].tick) / (shown.size() - 2);
  EXPECT_GE(ms_per_picture, 150);
  EXPECT_LE(ms_per_picture, 200);
  for (size_t i = 1; i < shown.size(); ++i) EXPECT_EQ(shown[i].picture, shown[i - 1].picture + 1) << "none skipped";
  ASSERT_FALSE(view_.Controls().empty());
  EXPECT_FALSE(view_.Controls().back()) << "the audio box is disabled";
  EXPECT_TRUE(audio_.muted);
}

TEST_F(PlaybackEngineTest, StartingAnotherFileWhilePlayingShowsOnlyTheNewFile) {
  Start("cams4_25fps.am4");
  engine_->SetPlayMode(kModePlay);
  Sleep(700);
  ASSERT_TRUE(engine_->StartPlayback(Fixture("cams4_30fps_480.am4").c_str(), nullptr));
  view_.TakeShown();
  WaitPaused();
  Play(kModePlay);
  const auto shown = view_.TakeShown();
  ASSERT_FALSE(shown.empty());
  for (const Shown& s : shown) EXPECT_NE(s.year, 2026) << "picture " << s.picture;  // the new file is of 2006-07
}

TEST_F(PlaybackEngineTest, OneSegmentFileShowsItsFirstPictureAndEveryModeEndsInPause) {
  // The first segment of a fixture alone, then one empty sector.
  const DamagedCopy one("cams4_25fps.am4", [](testsupport::Bytes& file, const auto& segments) {
    file.resize(segments[1].offset + 512);
    std::fill(file.end() - 512, file.end(), 0);
  });
  ASSERT_TRUE(engine_->StartPlayback(one.path(), nullptr));
  WaitPaused();
  EXPECT_EQ(engine_->Info().SpanLength(), 0u);
  EXPECT_EQ(view_.Pictures(), std::vector<int>{0});
  Play(kModePlay);
  EXPECT_EQ(view_.Pictures(), Range(1, 5)) << "on from the first picture to the end of its segment";
  Play(kModeLast);
  EXPECT_EQ(view_.Pictures(), std::vector<int>{}) << "no segment after it or ending inside the span";
  Play(kModeReverse);
  EXPECT_EQ(view_.Pictures(), Range(3, -1, -1)) << "from the picture shown back to the start";
  engine_->SeekTo(0.3);
  WaitPaused();
  EXPECT_EQ(view_.Pictures(), std::vector<int>{0});
}

TEST_F(PlaybackEngineTest, ADamagedHeaderEndsPlayInPauseWithoutRepeatingPictures) {
  const DamagedCopy copy("cams4_30fps_480.am4", [](testsupport::Bytes& file, const auto& segments) {
    testsupport::PutLE32(file, segments[1].offset + testsupport::kHeaderDataSectorsAt, 0x7FFFFF);  // data sectors: the next header would be this one again
  });
  ASSERT_TRUE(engine_->StartPlayback(copy.path(), nullptr));
  WaitPaused();
  view_.TakeShown();
  Play(kModePlay);
  EXPECT_EQ(view_.Pictures(), Range(1, 20)) << "on from the first picture through segment 1, then pause";
}

TEST_F(PlaybackEngineTest, ReaderFailuresPauseAfterThePicturesBefore) {
  const struct {
    const char* what;
    void (*damage)(testsupport::Bytes&, const std::vector<testsupport::WalkedSegment>&);
  } cases[] = {
      {"no parameter sets", [](auto& file, const auto& s) { file[s[3].offset + backup::kParameterAreaLengthAt] = 0; }},
      {"payload over 1 MiB", [](auto& file, const auto& s) { testsupport::PutLE32(file, s[3].offset + testsupport::kHeaderPayloadLengthAt, 0x100001); }},
      {"cut short", [](auto& file, const auto& s) { file.resize(s[3].offset + 2048); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const DamagedCopy copy("cams4_30fps_480.am4", c.damage);
    ASSERT_TRUE(engine_->StartPlayback(copy.path(), nullptr));
    WaitPaused();
    view_.TakeShown();
    Play(kModePlay);
    const auto pictures = view_.Pictures();
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(pictures.back(), 29);
  }
}

TEST_F(PlaybackEngineTest, PlayAfterLastPositionGoesOnToTheEnd) {
  Start("cams4_30fps_480.am4");
  Play(kModeLast);
  view_.TakeShown();
  Play(kModePlay);
  EXPECT_EQ(view_.Pictures(), Range(110, 120)) << "the last header's segment, then pause";
}

TEST_F(PlaybackEngineTest, RewindShowsKeyPicturesBackwardsEveryOther) {
  Start("cams4_30fps_480.am4");
  Play(kModeLast);
  view_.TakeShown();
  Play(kModeRewind);
  EXPECT_EQ(view_.Pictures(), Range(90, -10, -20));
}

TEST_F(PlaybackEngineTest, SegmentsOfSeveralGroupsPlayInOrderBothWays) {
  Start("multi_group.am4");  // three groups of five in each segment
  Sleep(1500);
  EXPECT_EQ(view_.Pictures(), std::vector<int>{0}) << "no stray picture after the first";
  Play(kModePlay);
  EXPECT_EQ(view_.Pictures(), Range(1, 50)) << "play goes on from the picture shown";
  Play(kModeLast);
  EXPECT_EQ(view_.Pictures(), std::vector<int>{44});
  Play(kModeReverse);
  EXPECT_EQ(view_.Pictures(), Range(43, -1, -1));
  engine_->SeekTo(0.6);
  WaitPaused();
  const auto last = view_.Pictures();
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0] % 15, 14) << "positioning backward shows the last picture of a segment";
}

TEST_F(PlaybackEngineTest, AModeChosenAtTheEndOfARunIsKept) {
  Start("cams4_30fps_480.am4");
  engine_->SetPlayMode(kModePlay);
  for (int ms = 0; ms < 10000; ms += 5) {
    const auto shown = view_.TakeShown();
    if (!shown.empty() && shown.back().picture >= 115) break;
    Sleep(5);
  }
  engine_->SetPlayMode(kModeReverse);
  Sleep(300);
  EXPECT_EQ(engine_->PlayMode(), kModeReverse);
  WaitPaused();
  const auto pictures = view_.Pictures();
  ASSERT_FALSE(pictures.empty());
  EXPECT_EQ(pictures.back(), 0) << "reverse play ran to the start";
}

TEST_F(PlaybackEngineTest, NoPictureAfterPauseOrStopAndNoWorkerTerminated) {
  Start("cams4_30fps_480.am4");
  engine_->SetDelayIndex(5);  // 250 ms after each picture
  engine_->SetPlayMode(kModePlay);
  Sleep(1200);
  engine_->SetPlayMode(kModePause);
  const DWORD paused = GetTickCount();
  Sleep(600);
  for (const Shown& s : view_.TakeShown()) EXPECT_LE(s.tick, paused + 100) << "picture " << s.picture;

  engine_->SetPlayMode(kModePlay);
  Sleep(1000);
  engine_->StopEngine();  // during the delay wait
  view_.TakeShown();
  Sleep(500);
  EXPECT_TRUE(view_.TakeShown().empty());

  ASSERT_TRUE(engine_->StartPlayback(Fixture("cams4_30fps_480.am4").c_str(), nullptr));
  Sleep(300);
  engine_->StopEngine();  // during the one-shot quiesce
  EXPECT_EQ(engine_->TerminatedWorkers(), 0);
}

TEST_F(PlaybackEngineTest, SeeksWhilePlayingKeepTheQueuesWhole) {
  Start("cams4_25fps.am4");
  engine_->SetPlayMode(kModePlay);
  Sleep(600);
  for (int i = 0; i < 20; ++i) {
    engine_->SeekTo((i * 7 % 10) / 10.0);
    Sleep(i % 3 * 40);
  }
  view_.TakeShown();
  engine_->SeekTo(0.8);
  WaitPaused();
  const auto shown = view_.TakeShown();
  ASSERT_GE(shown.size(), 20u) << "play goes on after the last seek";
  // The group on screen plays out (up to five pictures), then the target's
  // segment follows. A late picture may be skipped, but hardly any.
  const auto next = [&](size_t i) {
    const int step = shown[i].picture - shown[i - 1].picture;
    return step == 1 || step == 2;
  };
  size_t target = 1;
  while (target < shown.size() && next(target)) ++target;
  if (target == shown.size()) target = 0;  // no group was on screen
  EXPECT_LE(target, 5u);
  EXPECT_EQ(shown[target].picture % 5, 0) << "a segment's first picture";
  size_t skipped = 0;
  for (size_t i = target + 1; i < shown.size(); ++i) {
    EXPECT_TRUE(next(i)) << i << ": " << shown[i - 1].picture << " then " << shown[i].picture;
    skipped += shown[i].picture == shown[i - 1].picture + 2;
  }
  EXPECT_LE(skipped, 3u);
  EXPECT_EQ(shown.back().picture, 249);
  EXPECT_EQ(engine_->TerminatedWorkers(), 0);
}

TEST_F(PlaybackEngineTest, QuickModeChangesShowNoPictureOfTheModeLeft) {
  Start("cams4_30fps_480.am4");
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    engine_->SetPlayMode(kModePlay);
    Sleep(700 + 40 * round);
    for (int mode : {kModeRewind, kModeSeekBackward, kModeRewind}) engine_->SetPlayMode(mode);
    WaitPaused();
    std::vector<int> rewound;
    for (const Shown& s : view_.TakeShown()) {
      if (s.mode == kModeRewind) rewound.push_back(s.picture);
    }
    ASSERT_FALSE(rewound.empty());
    for (size_t i = 0; i < rewound.size(); ++i) {
      EXPECT_EQ(rewound[i] % 10, 0) << "rewind shows key pictures only: " << rewound[i];
      if (i > 0) {
        EXPECT_LT(rewound[i], rewound[i - 1]);
      }
    }
  }
}

// One step; what it showed (a step shows one picture or none).
std::vector<Shown> StepAndWatch(PlaybackEngine& engine, RecordingView& view, int direction) {
  engine.Step(direction);
  std::vector<Shown> shown;
  for (int ms = 0; ms < 1500 && shown.empty(); ms += 5) {
    Sleep(5);
    shown = view.TakeShown();
  }
  Sleep(shown.empty() ? 0 : 150);  // nothing more follows
  for (const Shown& s : view.TakeShown()) shown.push_back(s);
  return shown;
}

TEST_F(PlaybackEngineTest, StepsShowOnePictureEachWayAcrossGroupsAndStayPaused) {
  Start("cams4_25fps.am4");  // groups of 5, one a segment
  view_.TakeShown();
  const struct {
    int direction, picture;
  } steps[] = {{+1, 1}, {+1, 2}, {+1, 3}, {-1, 2}, {+1, 3}, {+1, 4}, {+1, 5}, {+1, 6}, {-1, 5}, {-1, 4}, {-1, 3}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.picture);
    const auto shown = StepAndWatch(*engine_, view_, step.direction);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].picture, step.picture);
    EXPECT_EQ(shown[0].mode, kModePause);
    EXPECT_EQ(engine_->PlayMode(), kModePause);
  }
  Play(kModeFirst);
  EXPECT_EQ(view_.Pictures(), std::vector<int>{0});
  EXPECT_TRUE(StepAndWatch(*engine_, view_, -1).empty()) << "nothing before the first picture";
  EXPECT_EQ(StepAndWatch(*engine_, view_, +1).at(0).picture, 1);
  EXPECT_EQ(engine_->TerminatedWorkers(), 0);
}

TEST_F(PlaybackEngineTest, StepsGoOnFromWhereEveryModeStopped) {
  Start("cams4_25fps.am4");
  view_.TakeShown();
  Play(kModeLast);
  const int last = view_.Pictures().at(0);
  EXPECT_EQ(StepAndWatch(*engine_, view_, -1).at(0).picture, last - 1);
  EXPECT_EQ(StepAndWatch(*engine_, view_, +1).at(0).picture, last);
  // Paused while playing, with later segments queued ahead of the screen.
  Play(kModeFirst);
  view_.TakeShown();
  engine_->SetPlayMode(kModePlay);
  Sleep(1500);
  engine_->SetPlayMode(kModePause);
  const int paused_at = view_.TakeShown().back().picture;
  ASSERT_GT(paused_at, 10);
  EXPECT_EQ(StepAndWatch(*engine_, view_, -1).at(0).picture, paused_at - 1);
  EXPECT_EQ(StepAndWatch(*engine_, view_, +1).at(0).picture, paused_at);
  // Play after steps goes on forwards; a step asked for while playing is dropped.
  engine_->SetPlayMode(kModePlay);
  engine_->Step(-1);
  Sleep(1200);
  engine_->SetPlayMode(kModePause);
  const auto played = view_.TakeShown();
  ASSERT_GT(played.size(), 5u);
  for (const Shown& s : played) EXPECT_EQ(s.mode, kModePlay);
  EXPECT_GT(played.back().picture, paused_at);
  EXPECT_TRUE(StepAndWatch(*engine_, view_, 0).empty());
}

// The first picture `mode` shows, then pause.
int FirstShownIn(PlaybackEngine& engine, RecordingView& view, int mode) {
  view.TakeShown();
  engine.SetPlayMode(mode);
  std::vector<Shown> shown;
  for (int ms = 0; ms < 10000 && shown.empty(); ms += 5) {
    Sleep(5);
    shown = view.TakeShown();
  }
  engine.SetPlayMode(kModePause);
  return shown.empty() ? -1 : shown.front().picture;
}

TEST_F(PlaybackEngineTest, APictureAskedForIsShownByItselfPausedFromAnyModeAndPlayGoesOnFromIt) {
  Start("multi_group.am4");  // three groups of five in each segment
  const auto segments =
      testsupport::WalkSegments(testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/multi_group.am4"));
  const auto show = [&](int segment, int picture) {
    engine_->ShowPicture(uint32_t(segments[segment].offset), uint32_t(picture) * 3600);
    std::vector<Shown> shown;
    for (int ms = 0; ms < 3000 && shown.empty(); ms += 5) {
      Sleep(5);
      shown = view_.TakeShown();
    }
    Sleep(shown.empty() ? 0 : 150);  // nothing more follows
    for (const Shown& s : view_.TakeShown()) shown.push_back(s);
    return shown;
  };
  view_.TakeShown();
  const struct {
    int segment, picture;
    int playing;  // the mode before
  } cases[] = {{1, 27, kModePause}, {0, 3, kModePause}, {2, 40, kModePlay}, {1, 16, kModeReverse}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.picture);
    if (c.playing != kModePause) {
      engine_->SetPlayMode(c.playing);
      Sleep(400);
    }
    const auto shown = show(c.segment, c.picture);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().picture, c.picture);
    EXPECT_EQ(shown.back().mode, kModePause);
    EXPECT_EQ(engine_->PlayMode(), kModePause);
  }
  EXPECT_TRUE(show(0, 27).empty()) << "not a picture of that segment";
  EXPECT_EQ(FirstShownIn(*engine_, view_, kModePlay), 17) << "play goes on from the picture shown";
  EXPECT_EQ(engine_->TerminatedWorkers(), 0);
}

TEST_F(PlaybackEngineTest, PlayAndReversePlayGoOnFromThePictureOnScreen) {
  Start("multi_group.am4");  // three groups of five in each segment
  view_.TakeShown();
  EXPECT_EQ(FirstShownIn(*engine_, view_, kModePlay), 1) << "after the first picture";
  Play(kModeFirst);
  EXPECT_EQ(FirstShownIn(*engine_, view_, kModePlay), 1) << "after first position";
  Play(kModeLast);
  EXPECT_EQ(FirstShownIn(*engine_, view_, kModeReverse), 43) << "after last position";
  for (int direction : {+1, -1}) {
    SCOPED_TRACE(direction);
    Play(kModeFirst);
    view_.TakeShown();
    for (int i = 0; i < 7; ++i) ASSERT_EQ(StepAndWatch(*engine_, view_, +1).size(), 1u);
    EXPECT_EQ(FirstShownIn(*engine_, view_, direction > 0 ? kModePlay : kModeReverse), 7 + direction)
        << "after steps into the second group";
  }
  engine_->SeekTo(0.5);
  WaitPaused();
  const auto seeked = view_.Pictures();
  ASSERT_EQ(seeked.size(), 1u);
  EXPECT_EQ(FirstShownIn(*engine_, view_, kModePlay), seeked[0] + 1) << "after a seek";
  // Paused in play with later groups queued, then the other way.
  engine_->SetPlayMode(kModePlay);
  Sleep(600);
  engine_->SetPlayMode(kModePause);
  WaitPaused();
  const int paused_at = view_.TakeShown().back().picture;
  EXPECT_EQ(FirstShownIn(*engine_, view_, kModeReverse), paused_at - 1) << "reverse after play";
  EXPECT_EQ(engine_->TerminatedWorkers(), 0);
}

TEST_F(PlaybackEngineTest, PlaybackRunsSilentWhenTheSoundOutputCannotOpen) {
  audio_.opens = false;
  Start("cams4_30fps_480.am4");
  view_.TakeShown();
  Play(kModePlay);
  EXPECT_GE(view_.Pictures().size(), 100u);
  EXPECT_FALSE(audio_.fed);
  EXPECT_EQ(audio_.starts.load(), 0);
}

}  // namespace
}  // namespace engine
