// The player's export driven as a person drives it: the AVI save and image
// edit panels clicked with real input, and the files they leave in
// C:\WEB_BACKUP and on the printer. tools/playerhost/tests/export_check.sh
// runs these and then reads the files with ffprobe, ImageMagick and poppler.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "panel.h"
#include "player_controls.h"
#include "player_driver.h"
#include "skin_looks.h"
#include "smapi.h"
#include "win32/gdi.h"

namespace {

using uidriver::Pixels;
using uidriver::PlayerDriver;
using namespace view;

using namespace skinlooks;

const std::wstring kPlayer = Widen(PLAYERHOST);
std::wstring FixturePath() { return WindowsPath(Widen(FIXTURE_DIR "/cams4_25fps.am4")); }
// The fixture starts at 2026-03-14 09:26:55.
constexpr wchar_t kFolder[] = L"C:\\WEB_BACKUP\\";
constexpr wchar_t kFirstRecording[] = L"CAM01_20260314_092655.avi";
constexpr wchar_t kFirstStill[] = L"CAM01_20260314_092655.jpg";
constexpr wchar_t kFirstLosslessStill[] = L"CAM01_20260314_092655.png";
enum : int { kEditPanel = 256, kEditBrighter = 258, kEditUndo = 266, kEditRedo = 265, kEditLeft = 262,
             kEditRight = 263, kEditSave = 267, kEditPrint = 268, kAviPanel = 512, kOptionStart = 513,
             kOptionStop = 514 };

// A button of a panel: its rectangle is in the panel's own coordinates.
RECT PanelButtonOnScreen(const PlayerDriver& p, int panel, int id) {
  const RECT at = SkinRect(panel);
  RECT r = SkinRect(id);
  OffsetRect(&r, at.left, at.top);
  return uidriver::OnScreen(p.View(), r);
}
void ClickPanelButton(const PlayerDriver& p, int panel, int id) {
  const RECT r = PanelButtonOnScreen(p, panel, id);
  uidriver::Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

Pixels NormalFace(int id) { return ButtonFace(id, kNormalFace); }

// OPTION START can be pressed: it shows its normal look (the pointer away).
bool StartUsable(const PlayerDriver& p) {
  uidriver::MoveTo({0, 0});
  const Pixels look = NormalFace(kOptionStart);
  return uidriver::WaitUntil([&] { return uidriver::Capture(PanelButtonOnScreen(p, kAviPanel, kOptionStart)) == look; },
                             5000);
}

bool WaitMode(PlayerDriver& p, int icon, int timeout_ms) {
  const Pixels lit = ButtonFace(icon, kCheckedDisabledFace);  // the lit icon
  return uidriver::WaitUntil([&] { return p.CaptureRect(icon) == lit; }, timeout_ms);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The file is closed: it can be opened for writing alone.
bool Closed(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

double MeanLevel(const Pixels& p) {
  double sum = 0;
  for (uint8_t v : p.bgr) sum += v;
  return p.bgr.empty() ? 0 : sum / double(p.bgr.size());
}

// The picture of single view moves on (the panels hide the mode icons).
testing::AssertionResult Advances(const PlayerDriver& p, int timeout_ms) {
  const auto first = p.MarkShown(-1);
  if (!first) return testing::AssertionFailure() << "no picture mark on screen";
  int last = first->picture;
  const bool moved = uidriver::WaitUntil([&] {
    const auto now = p.MarkShown(-1);
    if (now) last = now->picture;
    return now && now->picture > first->picture;
  }, timeout_ms);
  if (moved) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "picture " << first->picture << ", then " << last;
}

// The names of the folder's files that match `pattern`, sorted.
std::vector<std::wstring> Files(const wchar_t* pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((std::wstring(kFolder) + pattern).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileW(h, &found));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

// The panel's button shows its normal face: the panel is on screen.
bool PanelShown(const PlayerDriver& p, int panel, int id) {
  const Pixels look = NormalFace(id);
  return uidriver::WaitUntil([&] { return uidriver::Capture(PanelButtonOnScreen(p, panel, id)) == look; }, 5000);
}

class Export : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(p.Start(kPlayer, FixturePath()));
    ASSERT_TRUE(WaitMode(p, kIconPause, 15000));
    p.ClickButton(kDivision1);
    ASSERT_TRUE(uidriver::WaitUntil([&] { return p.MarkShown(-1) && p.MarkShown(-1)->camera == 1; }, 5000));
  }
  void TearDown() override {
    p.ClickButton(kExit);
    EXPECT_TRUE(p.Process().WaitExit(10000));
  }
  PlayerDriver p;
};

TEST_F(Export, RecordingCameraOneWhilePlayingEndsWithThePauseAtTheEnd) {
  DeleteFileW((std::wstring(kFolder) + kFirstRecording).c_str());
  p.ClickButton(kAviSave);
  ASSERT_TRUE(StartUsable(p)) << "the AVI save panel is shown with OPTION START";
  ClickPanelButton(p, kAviPanel, kOptionStart);
  EXPECT_TRUE(Advances(p, 5000)) << "the start plays";
  EXPECT_TRUE(Exists(std::wstring(kFolder) + kFirstRecording));
  ASSERT_TRUE(uidriver::WaitUntil([&] { return p.MarkShown(-1) && p.MarkShown(-1)->picture == 249; }, 30000))
      << "played to the end";
  EXPECT_TRUE(StartUsable(p)) << "the pause at the end ended the recording";
  EXPECT_TRUE(Closed(std::wstring(kFolder) + kFirstRecording));
  p.ClickButton(kAviSave);
}

TEST_F(Export, OptionStopASeekAndClosingThePanelEachEndARecording) {
  // Later in the recording, so that these files have names of their own.
  const RECT track = p.ScreenRect(kTrack);
  uidriver::Click({track.left + (track.right - track.left) * 3 / 4, (track.top + track.bottom) / 2});
  ASSERT_TRUE(uidriver::WaitUntil([&] { return p.MarkShown(-1) && p.MarkShown(-1)->picture >= 150; }, 10000));
  ASSERT_TRUE(WaitMode(p, kIconPause, 10000));
  p.ClickButton(kAviSave);
  ASSERT_TRUE(StartUsable(p));
  for (int way = 0; way < 3; ++way) {
    ClickPanelButton(p, kAviPanel, kOptionStart);
    ASSERT_TRUE(Advances(p, 5000)) << "way " << way;
    Sleep(600);
    if (way == 0) {
      ClickPanelButton(p, kAviPanel, kOptionStop);
    } else if (way == 1) {
      // The seek's picture is on screen before the next start, which must
      // see the picture move on from there.
      const auto shown = p.MarkShown(-1);
      const int before = shown ? shown->picture : 0;
      uidriver::Click({track.left + 20, (track.top + track.bottom) / 2});
      ASSERT_TRUE(uidriver::WaitUntil([&] {
        const auto now = p.MarkShown(-1);
        return now && now->picture < before;
      }, 10000)) << "the seek back from picture " << before;
    } else {
      p.ClickButton(kAviSave);  // closes the panel
      ASSERT_TRUE(WaitMode(p, kIconPause, 5000));
      p.ClickButton(kAviSave);  // and opens it again
    }
    EXPECT_TRUE(StartUsable(p)) << "way " << way;
  }
  p.ClickButton(kAviSave);
}

TEST_F(Export, ImageEditChangesThePictureSavesPrintsAndPutsItBack) {
  for (const wchar_t* still : {kFirstStill, kFirstLosslessStill}) DeleteFileW((std::wstring(kFolder) + still).c_str());
  const Pixels untouched = p.CaptureRect(kVideoArea);
  p.ClickButton(kImageEdit);
  const RECT save = PanelButtonOnScreen(p, kEditPanel, kEditSave);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return uidriver::Capture(save) == NormalFace(kEditSave); }, 5000))
      << "the image edit panel is shown";

  for (int id : {kEditUndo, kEditRedo, kEditLeft, kEditRight}) ClickPanelButton(p, kEditPanel, id);
  Sleep(500);
  EXPECT_EQ(p.CaptureRect(kVideoArea), untouched) << "the buttons without an operation change nothing";

  for (int n = 0; n < 3; ++n) ClickPanelButton(p, kEditPanel, kEditBrighter);
  EXPECT_TRUE(uidriver::WaitUntil([&] { return MeanLevel(p.CaptureRect(kVideoArea)) > MeanLevel(untouched) + 6; }, 3000))
      << "three steps of brightness";

  ClickPanelButton(p, kEditPanel, kEditSave);
  EXPECT_TRUE(uidriver::WaitUntil([&] { return Exists(std::wstring(kFolder) + kFirstStill); }, 5000));
  EXPECT_TRUE(uidriver::WaitUntil([&] { return Exists(std::wstring(kFolder) + kFirstLosslessStill); }, 5000));

  const char* print_dir = getenv("PRINT_DIR");
  ASSERT_TRUE(print_dir) << "the session's printer folder";
  ClickPanelButton(p, kEditPanel, kEditPrint);
  WIN32_FIND_DATAW found;
  const std::wstring pattern = L"Z:" + Widen(print_dir) + L"/*.pdf";
  EXPECT_TRUE(uidriver::WaitUntil([&] {
    HANDLE h = FindFirstFileW(pattern.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
  }, 30000)) << "a page printed";

  p.ClickButton(kImageEdit);
  EXPECT_TRUE(uidriver::WaitUntil([&] { return p.CaptureRect(kVideoArea) == untouched; }, 3000))
      << "closing the panel puts the untouched picture back";
}

// Paused at a picture of 09:27:01, with no export of that minute left.
void PauseLaterOnAFreshMinute(PlayerDriver& p, POINT on_track) {
  uidriver::Click(on_track);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return p.MarkShown(-1) && p.MarkShown(-1)->picture >= 150; }, 10000));
  ASSERT_TRUE(WaitMode(p, kIconPause, 10000));
  for (const wchar_t* pattern : {L"CAM0?_20260314_0927*.jpg", L"CAM0?_20260314_0927*.avi"})
    for (const std::wstring& name : Files(pattern)) DeleteFileW((std::wstring(kFolder) + name).c_str());
}

POINT ThreeQuartersAlong(const PlayerDriver& p) {
  const RECT track = p.ScreenRect(kTrack);
  return {track.left + (track.right - track.left) * 3 / 4, (track.top + track.bottom) / 2};
}

TEST_F(Export, StillsOfTwoCamerasInOneSecondKeepFilesOfTheirOwn) {
  PauseLaterOnAFreshMinute(p, ThreeQuartersAlong(p));
  p.ClickButton(kImageEdit);
  ASSERT_TRUE(PanelShown(p, kEditPanel, kEditSave));
  ClickPanelButton(p, kEditPanel, kEditSave);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return Files(L"CAM0?_20260314_0927*.jpg").size() == 1; }, 5000));
  const std::wstring first = Files(L"CAM0?_20260314_0927*.jpg")[0];
  const std::wstring time = first.substr(6, 15);  // yyyymmdd_hhmmss
  p.ClickButton(kCamera2);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return p.MarkShown(-1) && p.MarkShown(-1)->camera == 2; }, 5000));
  for (int n = 0; n < 2; ++n) ClickPanelButton(p, kEditPanel, kEditSave);
  EXPECT_TRUE(uidriver::WaitUntil([&] { return Files(L"CAM0?_20260314_0927*.jpg").size() == 3; }, 5000));
  EXPECT_EQ(Files(L"CAM0?_20260314_0927*.jpg"), (std::vector<std::wstring>{L"CAM01_" + time + L".jpg",
                                                  L"CAM02_" + time + L".jpg", L"CAM02_" + time + L"_2.jpg"}));
  p.ClickButton(kImageEdit);
}

TEST_F(Export, TwoRecordingsStartedAtOnePictureKeepFilesOfTheirOwn) {
  const POINT later = ThreeQuartersAlong(p);
  PauseLaterOnAFreshMinute(p, later);
  for (int n = 0; n < 2; ++n) {
    uidriver::Click(later);
    ASSERT_TRUE(WaitMode(p, kIconPause, 10000));
    p.ClickButton(kAviSave);
    ASSERT_TRUE(StartUsable(p));
    ClickPanelButton(p, kAviPanel, kOptionStart);
    ASSERT_TRUE(Advances(p, 5000));
    ClickPanelButton(p, kAviPanel, kOptionStop);
    EXPECT_TRUE(StartUsable(p));
    p.ClickButton(kAviSave);
  }
  const std::vector<std::wstring> recordings = Files(L"CAM01_20260314_0927*.avi");
  ASSERT_EQ(recordings.size(), 2u);
  EXPECT_EQ(recordings[1], recordings[0].substr(0, recordings[0].size() - 4) + L"_2.avi");
}

// Alt+F4 on a panel closes it as its toggle would; the toggle brings it back.
TEST_F(Export, APanelClosedWithAltF4ComesBackWithItsToggle) {
  const struct {
    int toggle, panel, button;
  } panels[] = {{kImageEdit, kEditPanel, kEditSave}, {kAviSave, kAviPanel, kOptionStart}};
  for (const auto& c : panels) {
    for (int round = 0; round < 2; ++round) {
      p.ClickButton(c.toggle);
      ASSERT_TRUE(PanelShown(p, c.panel, c.button)) << c.toggle << " round " << round;
      if (c.toggle == kAviSave) {  // a recording runs when the panel goes
        ClickPanelButton(p, kAviPanel, kOptionStart);
        ASSERT_TRUE(Advances(p, 5000));
      }
      const RECT panel = uidriver::OnScreen(p.View(), SkinRect(c.panel));
      uidriver::Click({panel.left + 3, panel.top + 3});  // the panel takes the keyboard
      uidriver::PressKey(VK_F4, VK_MENU);
      EXPECT_TRUE(WaitMode(p, kIconPause, 5000)) << "the panel went and the player is paused";
      ASSERT_TRUE(p.Process().Running()) << "Alt+F4 reached the panel, not the player's frame";
    }
  }
  p.ClickButton(kAviSave);
  EXPECT_TRUE(StartUsable(p)) << "the recording ended with the panel";
  p.ClickButton(kAviSave);
}

}  // namespace
