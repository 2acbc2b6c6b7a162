// The display manager in a real window: what the screen shows for a
// division, the pictures it keeps for export and editing.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "display_manager.h"
#include "message_pump.h"
#include "ui_driver.h"
#include "win32/gdi.h"
#include "win32/window.h"

namespace view {
namespace {

constexpr int kW = 720, kH = 480;
constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

class Parent : public win32::Window {
 public:
  Parent() { Create(L"DisplayTestParent", L"display", WS_POPUP | WS_VISIBLE, 0, 0, 0, 704, 528, nullptr); }
};

// A combined picture: camera n's quarter in a colour of its own, the four
// outermost columns of the mosaic red.
std::vector<uint8_t> Mosaic(COLORREF (*colour)(int camera, int x)) {
  std::vector<uint8_t> p(size_t(kW) * kH * 3);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const int camera = (y >= kH / 2) * 2 + (x >= kW / 2);
      const COLORREF c = x < 4 || x >= kW - 4 ? kRed : colour(camera, x);
      uint8_t* px = &p[(size_t(y) * kW + x) * 3];
      px[0] = GetBValue(c), px[1] = GetGValue(c), px[2] = GetRValue(c);
    }
  return p;
}

COLORREF ByCamera(int camera, int) {
  static const COLORREF k[] = {RGB(0, 0, 160), RGB(0, 160, 0), RGB(160, 160, 0), RGB(0, 160, 160)};
  return k[camera];
}

engine::BitmapInfo Info(int w, int h) {
  engine::BitmapInfo info{};
  info.header = engine::TopDownHeader(w, h);
  info.header.image_size = w * h * 3;
  return info;
}

const backup::CaptureTime kTime{2026, 12, 10, 9, 30, 15};

struct Screen {
  Parent parent;
  DisplayManager display;
  Screen() {
    display.Create(parent.Hwnd(), {0, 0, 704, 528});
    display.SetEmptyFill(64);
    display.SetShowFlags(true, false, false);
    ShowWindow(display.Hwnd(), SW_SHOW);
  }
  uidriver::Pixels Shot() {
    testsupport::PumpFor(100);
    RECT r;
    GetWindowRect(display.Hwnd(), &r);
    return uidriver::Capture(r);
  }
};

int Count(const uidriver::Pixels& p, RECT area, COLORREF c) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += p.At(x, y) == c;
  return n;
}

TEST(DisplayManager, SingleViewStretchesOneQuarterWithoutTheMosaicsOuterEdge) {
  Screen s;
  const auto mosaic = Mosaic(ByCamera);
  s.display.Redraw(s.display.PresentPicture(Info(kW, kH), mosaic.data(), kTime));
  for (int camera = 0; camera < 4; ++camera) {
    const uint8_t list[] = {uint8_t(camera)};
    s.display.SetDivision(kOneCameraLayout, list, 1);
    const uidriver::Pixels shot = s.Shot();
    const RECT middle{100, 100, 600, 450};
    EXPECT_EQ(Count(shot, middle, ByCamera(camera, 0)), 500 * 350) << "camera " << camera;
    EXPECT_EQ(Count(shot, {0, 0, 704, 528}, kRed), 0) << "camera " << camera;
  }
}

TEST(DisplayManager, FourDivisionFramesEveryOccupiedCellAndCaptionsOnlyPictures) {
  Screen s;
  const uint8_t list[] = {0, 1, kNone, 3};
  s.display.SetDivision(kFourCameraLayout, list, 4);
  uidriver::Pixels shot = s.Shot();
  const COLORREF white = RGB(255, 255, 255);
  // Frames along the top edge of cells 0, 1 and 3; none around the empty cell 2.
  EXPECT_GT(Count(shot, {10, 0, 340, 2}, white), 600);
  EXPECT_EQ(Count(shot, {10, 266, 340, 526}, white), 0) << "the empty cell";
  // No picture since the clear: frames, but no caption.
  EXPECT_EQ(Count(shot, {8, 8, 120, 26}, white), 0);

  const auto mosaic = Mosaic(ByCamera);
  s.display.Redraw(s.display.PresentPicture(Info(kW, kH), mosaic.data(), kTime));
  shot = s.Shot();
  EXPECT_GT(Count(shot, {8, 8, 120, 26}, white), 40) << "caption of cell 0";
  EXPECT_EQ(Count(shot, {10, 266, 340, 526}, white), 0) << "the empty cell";
  EXPECT_EQ(Count(shot, {0, 0, 704, 528}, kRed), 0);
}

TEST(DisplayManager, RenderChannelIsThreeSixtyWideAndGreyBeforeAPicture) {
  Screen s;
  s.display.ClearPictures();
  const auto size_and_grey = [&](int channel, int& height, int& grey) {
    win32::Bitmap b(s.display.RenderChannel(channel, true));
    BITMAP info{};
    GetObjectW(b.Get(), sizeof(info), &info);
    win32::MemoryDC dc(nullptr);
    win32::SelectedObject use(dc.Get(), b.Get());
    height = info.bmHeight;
    grey = 0;
    for (int y = 0; y < info.bmHeight; y += 3)
      for (int x = 0; x < info.bmWidth; x += 3) grey += GetPixel(dc.Get(), x, y) == RGB(64, 64, 64);
    return info.bmWidth;
  };
  int height = 0, grey = 0;
  EXPECT_EQ(size_and_grey(2, height, grey), 360);
  EXPECT_EQ(grey, 120 * ((height + 2) / 3)) << "all grey, no texts";
  const auto mosaic = Mosaic(ByCamera);
  s.display.PresentPicture(Info(kW, kH), mosaic.data(), kTime);
  EXPECT_EQ(size_and_grey(2, height, grey), 360);
  EXPECT_EQ(height, 240);
  EXPECT_EQ(grey, 0);
}

TEST(DisplayManager, RestoreFallsBackToTheChannelThatWasSaved) {
  Screen s;
  const auto before = Mosaic(ByCamera);
  s.display.PresentPicture(Info(kW, kH), before.data(), kTime);
  s.display.SavePicture(2);
  const auto edited = Mosaic([](int, int) { return RGB(250, 250, 250); });
  s.display.ReplacePicture(edited.data(), 2, Info(kW, kH));
  const auto centre = [&](int channel) {
    win32::Bitmap b(s.display.RenderChannel(channel, false));
    win32::MemoryDC dc(nullptr);
    win32::SelectedObject use(dc.Get(), b.Get());
    return GetPixel(dc.Get(), 180, 120);
  };
  EXPECT_EQ(centre(2), RGB(250, 250, 250));
  s.display.RestorePicture(0);  // the current camera changed meanwhile
  EXPECT_EQ(centre(2), ByCamera(2, 0));
  EXPECT_FALSE(s.display.HasSavedPicture(2));
  s.display.RestorePicture(2);  // nothing saved: nothing happens
  EXPECT_EQ(centre(2), ByCamera(2, 0));
}

}  // namespace
}  // namespace view
