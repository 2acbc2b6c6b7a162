// The player's export in a real display window with the real capture
// library: the names it gives recordings, and a recording whose frame could
// not be written.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display_manager.h"
#include "export.h"
#include "win32/window.h"

namespace view {
namespace {

constexpr wchar_t kFolder[] = L"C:\\WEB_BACKUP\\";
// A time no other test's pictures have.
constexpr backup::CaptureTime kPlay{2031, 7, 8, 1, 2, 3};
constexpr wchar_t kStem[] = L"CAM01_20310708_010203";

class Parent : public win32::Window {
 public:
  Parent() { Create(L"ExportTestParent", L"export", WS_POPUP | WS_VISIBLE, 0, 0, 0, 704, 528, nullptr); }
};

// A grey picture of w x h; a picture each call, so the frames differ.
void Show(DisplayManager& display, int w, int h) {
  static uint8_t level = 40;
  std::vector<uint8_t> pixels(size_t(w) * h * 3, level += 10);
  engine::BitmapInfo info{};
  info.header = engine::TopDownHeader(w, h);
  info.header.image_size = w * h * 3;
  const backup::CaptureTime time{2031, 7, 8, 1, 2, 3};
  display.Redraw(display.PresentPicture(info, pixels.data(), time));
}

bool Exists(const std::wstring& name) {
  return GetFileAttributesW((kFolder + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Recorder {
  Parent parent;
  DisplayManager display;
  Export out{display};
  Recorder() {
    display.Create(parent.Hwnd(), {0, 0, 704, 528});
    ShowWindow(display.Hwnd(), SW_SHOW);
    const uint8_t camera_1[] = {0};
    display.SetDivision(kOneCameraLayout, camera_1, 1);
  }
};

TEST(ExportFiles, ARecordingNeverReplacesAnotherAndEndsWhenAFrameIsNotWritten) {
  for (const wchar_t* suffix : {L".avi", L"_2.avi", L"_3.avi"})
    DeleteFileW((kFolder + (kStem + std::wstring(suffix))).c_str());
  Recorder r;
  Show(r.display, 720, 576);
  r.out.OnPicture(kPlay, 0);

  ASSERT_TRUE(r.out.StartRecording(AviChoices{}, 0));
  Show(r.display, 720, 576);
  EXPECT_FALSE(r.out.OnPicture(kPlay, 0)) << "a frame written";
  Show(r.display, 720, 480);
  EXPECT_TRUE(r.out.OnPicture(kPlay, 0)) << "a frame of another size is not written: the recording is to end";
  EXPECT_TRUE(r.out.EndRecording());

  // Two more recordings of the same picture: files of their own.
  for (int n = 0; n < 2; ++n) {
    ASSERT_TRUE(r.out.StartRecording(AviChoices{}, 0));
    EXPECT_TRUE(r.out.EndRecording());
  }
  EXPECT_TRUE(Exists(kStem + std::wstring(L".avi")));
  EXPECT_TRUE(Exists(kStem + std::wstring(L"_2.avi")));
  EXPECT_TRUE(Exists(kStem + std::wstring(L"_3.avi")));
}

}  // namespace
}  // namespace view
