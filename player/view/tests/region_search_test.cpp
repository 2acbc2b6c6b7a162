// The motion search in the player, driven with real input: a region dragged
// over camera 1 in single view, the marks on the slider, N and P to the
// intervals' first pictures, Escape, and the search stopped at once by a
// new region, Escape and the player's end. The fixture (make_fixtures):
// a square crosses camera 1's region 160,112 96 x 96 in pictures 23-39
// and 98-114, while noise runs everywhere and other squares move outside
// it; 15 segments of 10 pictures.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "backup_walk.h"
#include "message_pump.h"
#include "panel.h"
#include "player_controls.h"
#include "player_screen_view.h"
#include "recording_frames.h"
#include "ui_driver.h"
#include "win32/window.h"

namespace view {
namespace {

const std::wstring kFixture = [] {
  const std::string path = std::string(FIXTURE_DIR) + "/motion_two.am4";
  return std::wstring(path.begin(), path.end());
}();
constexpr int kCrossings[2][2] = {{23, 39}, {98, 114}};
constexpr COLORREF kRegionColour = RGB(255, 255, 0), kMarkColour = RGB(255, 96, 0), kProgressColour = RGB(80, 160, 255);
constexpr int kMarkRow = 588, kProgressRow = 603;  // panel rows through the slider's marks

// FNV-1a of a picture's pixels.
uint64_t Hash(const engine::BitmapInfo& info, const uint8_t* pixels) {
  const size_t size = size_t(info.header.width) * std::abs(info.header.height) * 3;
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < size; ++i) h = (h ^ pixels[i]) * 1099511628211ull;
  return h;
}

// Each picture's number by the hash of its pixels, decoded as playback decodes them.
const std::map<uint64_t, int>& PictureHashes() {
  static const std::map<uint64_t, int> hashes = [] {
    std::map<uint64_t, int> out;
    am4frames::DecodeRecording(kFixture.c_str(), -1, [&](int number, const engine::PictureEntry& p) {
      out[Hash(p.bitmap_info, p.pixels)] = number;
    });
    return out;
  }();
  return hashes;
}

class Host : public win32::Window {
 public:
  Host() {
    const RECT panel = SkinRect(0);
    Create(L"RegionSearchHost", L"player", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, panel.right,
           panel.bottom, nullptr);
    view.Create(Hwnd(), 0, 0);
  }
  PlayerScreenView view;

  // Messages as playerhost's loop has them: the player's keys first.
  bool PumpUntil(const std::function<bool()>& done, int timeout_ms) {
    return testsupport::PumpUntil(done, timeout_ms, [this](MSG& msg) { return view.TranslateKey(msg); });
  }
  void Pump(int ms) { PumpUntil([] { return false; }, ms); }

  POINT Screen(int x, int y) const { return uidriver::OnScreen(view.Hwnd(), POINT{x, y}); }
  void Click(int id) {
    const RECT r = SkinRect(WORD(id));
    uidriver::Click(Screen((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    Pump(300);
  }
  // A drag with the left button across the video area, from and to points
  // of the view; `midway` is told when the pointer is halfway.
  void Drag(POINT from, POINT to, const std::function<void()>& midway = {}) {
    uidriver::MouseDown(Screen(from.x, from.y));
    Pump(50);
    for (int step = 1; step <= 8; ++step) {
      uidriver::MoveTo(Screen(from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8));
      Pump(30);
      if (step == 4 && midway) midway();
    }
    uidriver::MouseUp(Screen(to.x, to.y));
    Pump(100);
  }
  void Key(WORD key) {
    uidriver::PressKey(key);
    Pump(50);
  }
  uidriver::Pixels Shot(const RECT& view_rect, const wchar_t* name) const {
    const uidriver::Pixels p = uidriver::Capture(uidriver::OnScreen(view.Hwnd(), view_rect));
    uidriver::SavePng(p, std::wstring(L"region_search_") + name + L".png");
    return p;
  }
  // The number of the picture shown; -1 for none of the fixture's.
  int Shown() {
    engine::BitmapInfo info{};
    std::vector<uint8_t> pixels(engine::kPictureBytes);
    view.CopyShownPicture(&info, pixels.data());
    const auto at = PictureHashes().find(Hash(info, pixels.data()));
    return at == PictureHashes().end() ? -1 : at->second;
  }
};

// The columns of a row of a screenshot in that colour, as runs [first, last].
std::vector<std::pair<int, int>> Runs(const uidriver::Pixels& p, int row, COLORREF colour) {
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < p.width; ++x) {
    if (p.At(x, row) != colour) continue;
    if (!runs.empty() && runs.back().second == x - 1) runs.back().second = x;
    else runs.push_back({x, x});
  }
  return runs;
}

// The fixture open with camera 1 alone.
void ShowCameraOne(Host& host) {
  ASSERT_TRUE(host.view.OpenFile(kFixture.c_str()));
  ASSERT_TRUE(host.PumpUntil([&] { return host.view.PlayMode() == engine::kModePause; }, 10000));
  host.Click(kDivision1);
  ASSERT_EQ(host.view.CurrentCamera(), 0);
}

class RegionSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    uidriver::ClearScreen();
    ShowCameraOne(host);
  }
  bool SearchDone() {
    return host.PumpUntil([&] { return host.view.SearchProgress() == 1000; }, 60000);
  }

  // Camera 1's region 160,112 96 x 96 on the 704 x 528 video area, which
  // shows its pixels 4-359 across: view points.
  const RECT area_ = SkinRect(kVideoArea);
  const POINT from_{area_.left + 309, area_.top + 206}, to_{area_.left + 498, area_.top + 381};
  Host host;
};

TEST_F(RegionSearchTest, ARegionDrawnIsSearchedItsIntervalsMarkedAndNAndPShowTheirFirstPictures) {
  // The rectangle shows while it is drawn and stays.
  uidriver::Pixels midway;
  host.Drag(from_, to_, [&] { midway = host.Shot(area_, L"drawing"); });
  const int half_x = (to_.x - from_.x) / 2, half_y = (to_.y - from_.y) / 2;
  const int left = from_.x - area_.left, top = from_.y - area_.top;
  EXPECT_EQ(midway.At(left, top + half_y / 2), kRegionColour) << "left edge while drawn";
  EXPECT_EQ(midway.At(left + half_x / 2, top), kRegionColour) << "top edge while drawn";
  EXPECT_NE(midway.At(left + half_x + 20, top), kRegionColour) << "not beyond the pointer";

  ASSERT_TRUE(SearchDone());
  const uidriver::Pixels drawn = host.Shot(area_, L"drawn");
  const int right = to_.x - area_.left - 1, bottom = to_.y - area_.top - 1;
  for (POINT edge : {POINT{left, top + 50}, POINT{right, top + 50}, POINT{left + 50, top}, POINT{left + 50, bottom}})
    EXPECT_EQ(drawn.At(edge.x, edge.y), kRegionColour) << edge.x << "," << edge.y;
  EXPECT_NE(drawn.At(left + 50, top + 50), kRegionColour) << "a frame, not a fill";

  // One interval per crossing, within two pictures.
  const auto& found = host.view.MotionFound();
  ASSERT_EQ(found.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(found[i].motion.first, kCrossings[i][0], 2) << i;
    EXPECT_NEAR(found[i].motion.last, kCrossings[i][1], 2) << i;
  }

  // The slider: the bar of the searched part across the track, a mark per
  // interval over the segments (10 pictures each) that hold its pictures;
  // 150 pictures over the track.
  const RECT track = SkinRect(kTrack), bar = SkinRect(kSliderBar);
  const uidriver::Pixels slider = host.Shot(bar, L"slider");
  const auto progress = Runs(slider, kProgressRow - bar.top, kProgressColour);
  const int thumb_right = track.left + 16 - bar.left;  // the thumb at the start hides the bar's beginning
  ASSERT_FALSE(progress.empty());
  EXPECT_LE(progress.back().first, thumb_right);
  EXPECT_GE(progress.back().second, track.right - bar.left - 2);
  const auto marks = Runs(slider, kMarkRow - bar.top, kMarkColour);
  ASSERT_EQ(marks.size(), 2u);
  // Where a file position lies on the track, from an independent walk of the file.
  const auto segments =
      testsupport::WalkSegments(testsupport::ReadWholeFile(std::string(FIXTURE_DIR) + "/motion_two.am4"));
  ASSERT_EQ(segments.size(), 15u);
  const auto x_of = [&](uint64_t offset) {
    const uint64_t span = segments.back().offset - segments[0].offset;
    return int(track.left + (track.right - track.left) * (offset - segments[0].offset) / span);
  };
  for (int i = 0; i < 2; ++i) {
    const auto& last = segments[found[i].motion.last / 10];
    EXPECT_NEAR(marks[i].first + bar.left, x_of(segments[found[i].motion.first / 10].offset), 1) << i;
    EXPECT_NEAR(marks[i].second + 1 + bar.left, x_of(last.offset + 512 + 512 * uint64_t(last.data_sectors)), 1) << i;
  }

  // N and P: each interval's first picture, paused; none beyond the ends.
  const auto shown = [&] { return host.Shown(); };
  const auto shows = [&](int picture) { return host.PumpUntil([&] { return shown() == picture; }, 10000); };
  ASSERT_EQ(shown(), 0);
  const struct {
    WORD key;
    int interval;
  } steps[] = {{'N', 0}, {'N', 1}, {'N', 1}, {'P', 0}, {'P', 0}, {'N', 1}};
  for (const auto& s : steps) {
    host.Key(s.key);
    EXPECT_TRUE(shows(int(found[s.interval].motion.first))) << char(s.key) << " to " << s.interval << ": " << shown();
    EXPECT_EQ(host.view.PlayMode(), engine::kModePause);
  }
  host.Shot(area_, L"second_interval");
  host.Shot(bar, L"slider_second_interval");

  // From inside an interval P goes to its own first picture; play goes on from it.
  host.Key(VK_RIGHT);
  ASSERT_TRUE(shows(int(found[1].motion.first) + 1));
  host.Key('P');
  EXPECT_TRUE(shows(int(found[1].motion.first)));
  host.Key('L');
  EXPECT_TRUE(host.PumpUntil([&] { return shown() > int(found[1].motion.first) + 10; }, 10000)) << "play goes on";

  // Escape: no frame, no marks, nothing to go to.
  host.Key(VK_SPACE);
  ASSERT_TRUE(host.PumpUntil([&] { return host.view.PlayMode() == engine::kModePause; }, 5000));
  host.Key(VK_ESCAPE);
  EXPECT_TRUE(host.PumpUntil([&] { return host.view.MotionFound().empty(); }, 5000));
  EXPECT_EQ(host.view.SearchProgress(), 0);
  const uidriver::Pixels cleared = host.Shot(area_, L"cleared"), slider_cleared = host.Shot(bar, L"slider_cleared");
  for (POINT edge : {POINT{left, top + 50}, POINT{right, top + 50}, POINT{left + 50, top}})
    EXPECT_NE(cleared.At(edge.x, edge.y), kRegionColour) << edge.x << "," << edge.y;
  EXPECT_TRUE(Runs(slider_cleared, kMarkRow - bar.top, kMarkColour).empty());
  EXPECT_TRUE(Runs(slider_cleared, kProgressRow - bar.top, kProgressColour).empty());
  const int before = shown();
  host.Key('P');
  host.Pump(500);
  EXPECT_EQ(shown(), before);
}

TEST_F(RegionSearchTest, ARegionDrawnWhilePlayingStaysOverTheNewPicturesAndPlayGoesOn) {
  host.Key('L');
  ASSERT_TRUE(host.PumpUntil([&] { return host.Shown() > 5; }, 10000));
  host.Drag(from_, to_);
  const int drawn_at = host.Shown();
  ASSERT_TRUE(SearchDone());
  EXPECT_EQ(host.view.MotionFound().size(), 2u);
  EXPECT_TRUE(host.PumpUntil([&] { return host.Shown() >= drawn_at + 25; }, 10000)) << "from " << drawn_at;
  const uidriver::Pixels later = host.Shot(area_, L"playing");
  const int left = from_.x - area_.left, top = from_.y - area_.top;
  EXPECT_EQ(later.At(left, top + 50), kRegionColour);
  EXPECT_EQ(later.At(left + 50, top), kRegionColour);
}

TEST_F(RegionSearchTest, AClickOrTheFourDivisionDrawsNoRegion) {
  host.Drag(from_, {from_.x + 2, from_.y + 2});
  EXPECT_FALSE(host.PumpUntil([&] { return host.view.SearchProgress() > 0; }, 1000)) << "a click is no region";
  host.Click(kDivision4);
  host.Drag(from_, to_);
  EXPECT_FALSE(host.PumpUntil([&] { return host.view.SearchProgress() > 0; }, 1000)) << "four cameras shown";
  const uidriver::Pixels four = host.Shot(area_, L"four");
  EXPECT_NE(four.At(from_.x - area_.left, from_.y - area_.top + 50), kRegionColour);
}

TEST_F(RegionSearchTest, ANewRegionReplacesTheSearchedOneAndEscapeAndTheEndOfThePlayerStopItAtOnce) {
  using Clock = std::chrono::steady_clock;
  const auto ms_of = [](auto f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  };
  const auto running = [&] {
    return host.PumpUntil([&] { return host.view.SearchProgress() > 0; }, 10000) && host.view.SearchProgress() < 1000;
  };
  host.Drag(from_, to_);
  ASSERT_TRUE(running());
  // A second region replaces the first while it is searched.
  host.Drag({from_.x + 40, from_.y}, to_);
  const uidriver::Pixels second = host.Shot(area_, L"second_region");
  const int left = from_.x - area_.left, row = from_.y - area_.top + 50;
  EXPECT_EQ(second.At(left + 40, row), kRegionColour);
  EXPECT_NE(second.At(left, row), kRegionColour) << "the first region's frame is gone";
  ASSERT_TRUE(running());
  // Escape: from the key press to the search stopped and its marks gone.
  const double escape_ms = ms_of([&] {
    uidriver::PressKey(VK_ESCAPE);
    EXPECT_TRUE(host.PumpUntil([&] { return host.view.SearchProgress() == 0; }, 5000));
  });
  host.Pump(300);
  EXPECT_EQ(host.view.SearchProgress(), 0) << "nothing of the stopped search arrives";
  EXPECT_LT(escape_ms, 1000);

  // Closing a player with a search running takes hardly longer than closing one without.
  host.Drag(from_, to_);
  ASSERT_TRUE(running());
  const double close_ms = ms_of([&] { DestroyWindow(host.Hwnd()); });
  Host plain;
  ShowCameraOne(plain);
  const double plain_ms = ms_of([&] { DestroyWindow(plain.Hwnd()); });
  EXPECT_LT(close_ms, plain_ms + 300);
  std::printf("Escape took %.0f ms from the key press; closing the player %.0f ms, %.0f ms without a search\n",
              escape_ms, close_ms, plain_ms);
}

}  // namespace
}  // namespace view
