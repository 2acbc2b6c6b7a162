// Two player windows in one process, each driven with real input: each
// plays its own file and keeps its own display, slider and camera.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "mark_reader.h"
#include "message_pump.h"
#include "panel.h"
#include "player_controls.h"
#include "player_screen_view.h"
#include "ui_driver.h"
#include "win32/window.h"

namespace view {
namespace {

std::wstring Fixture(const char* name) {
  std::string path = std::string(FIXTURE_DIR) + "/" + name;
  return std::wstring(path.begin(), path.end());
}

class Host : public win32::Window {
 public:
  explicit Host(int x) {
    const RECT panel = SkinRect(0);
    Create(L"TwoPlayersHost", L"player", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, x, 0, panel.right,
           panel.bottom, nullptr);
    view.Create(Hwnd(), 0, 0);
  }
  PlayerScreenView view;

  void Raise() {
    SetWindowPos(Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    testsupport::PumpFor(200);
  }
  void Click(int id) {
    const RECT r = SkinRect(WORD(id));
    uidriver::Click(uidriver::OnScreen(view.Hwnd(), POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    testsupport::PumpFor(300);
  }
  // The combined picture shown last: its height and camera 1's picture number.
  std::pair<int, int> Shown() {
    engine::BitmapInfo info{};
    std::vector<uint8_t> pixels(engine::kPictureBytes);
    view.CopyShownPicture(&info, pixels.data());
    const int w = info.header.width, h = std::abs(info.header.height);
    const testsupport::PictureView picture{pixels.data(), w, h, w * 3, testsupport::PixelFormat::kBgr24};
    const auto mark = testsupport::ReadQuarterMark(picture, 1);
    return {h, mark ? mark->picture : -1};
  }
};

TEST(PlayerScreenView, TwoPlayersInOneProcessEachPlayTheirOwnFile) {
  Host a(0), b(300);
  ASSERT_TRUE(a.view.OpenFile(Fixture("cams4_25fps.am4").c_str()));
  ASSERT_TRUE(b.view.OpenFile(Fixture("cams4_30fps_480.am4").c_str()));
  const auto paused = [](Host& h) { return [&h] { return h.view.PlayMode() == engine::kModePause; }; };
  ASSERT_TRUE(testsupport::PumpUntil(paused(a), 10000));
  ASSERT_TRUE(testsupport::PumpUntil(paused(b), 10000));
  EXPECT_EQ(a.Shown(), std::make_pair(576, 0));
  EXPECT_EQ(b.Shown(), std::make_pair(480, 0));

  b.Raise();
  b.Click(kPlay);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return b.Shown().second >= 30; }, 10000));
  EXPECT_EQ(a.Shown(), std::make_pair(576, 0)) << "the other player kept its picture";
  EXPECT_EQ(a.view.PlayMode(), engine::kModePause);

  // Cameras and divisions of the first player; the second keeps its own.
  a.Raise();
  for (int id : {int(kDivision1), int(kCamera3), int(kDivision4)}) a.Click(id);
  EXPECT_EQ(a.view.CurrentCamera(), 2) << "DIVISION 04 keeps the current camera";
  EXPECT_EQ(a.view.DivisionLayout(), kFourCameraLayout);
  EXPECT_EQ(b.view.CurrentCamera(), -1);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return b.Shown().second >= 60; }, 10000)) << "the second still plays";
}

}  // namespace
}  // namespace view
