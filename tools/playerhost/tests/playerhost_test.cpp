// playerhost.exe driven as a person drives it: real pointer and keyboard
// input, the open-file dialog, and what the screen shows afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <shellapi.h>

#include "file_io.h"
#include "panel_texts.h"
#include "panel.h"
#include "player_controls.h"
#include "player_driver.h"
#include "skin_looks.h"
#include "smapi.h"
#include "win32/gdi.h"
#include "win32/owners.h"

namespace {

using uidriver::Pixels;
using uidriver::PlayerDriver;
using namespace view;

using namespace skinlooks;

// The build's player program, or the one REWYN_PLAYER names (an installed copy).
std::wstring PlayerProgram() {
  wchar_t path[MAX_PATH] = {};
  return GetEnvironmentVariableW(L"REWYN_PLAYER", path, MAX_PATH) ? path : Widen(PLAYERHOST);
}
const std::wstring kPlayer = PlayerProgram();
const std::wstring kFixture = WindowsPath(Widen(FIXTURE_DIR "/cams4_25fps.am4"));

bool Shows(const PlayerDriver& p, int id, const Pixels& look) { return p.CaptureRect(id) == look; }

// The look appears within a moment (the panel is redrawn after the video area).
bool ComesToShow(const PlayerDriver& p, int id, const Pixels& look) {
  return uidriver::WaitUntil([&] { return Shows(p, id, look); }, 3000);
}

// The window without the clock, which changes every second.
Pixels StillWindow(const PlayerDriver& p) {
  Pixels w = p.CaptureWindow();
  RECT window, clock = p.ScreenRect(58);
  GetWindowRect(p.Process().Window(), &window);
  for (int y = clock.top; y < clock.bottom; ++y)
    for (int x = clock.left; x < clock.right; ++x)
      memset(&w.bgr[(size_t(y - window.top) * w.width + (x - window.left)) * 3], 0, 3);
  return w;
}

bool WaitPaused(const PlayerDriver& p) {
  const Pixels paused = ButtonFace(kIconPause, kCheckedDisabledFace);
  return uidriver::WaitUntil([&] { return Shows(p, kIconPause, paused); }, 15000);
}

// Pure white text pixels next to their black outline, in the caption line of
// a cell whose top left is at x, y of the video area.
int CaptionPixels(const Pixels& video, int x, int y) {
  int n = 0;
  for (int yy = y + 4; yy < y + 22; ++yy)
    for (int xx = x + 4; xx < x + 120; ++xx)
      if (video.At(xx, yy) == RGB(255, 255, 255) &&
          (video.At(xx - 1, yy) == 0 || video.At(xx + 1, yy) == 0 || video.At(xx, yy - 1) == 0))
        ++n;
  return n;
}

TEST(PlayerHost, BeforeAFileOnlyFileOpenAndExitReact) {
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer));
  Sleep(500);
  for (int icon = kIconFirst; icon <= kIconLast; ++icon)
    EXPECT_EQ(p.CaptureRect(icon), Background(icon)) << "mode icon " << icon << " drawn before a file";
  EXPECT_TRUE(Shows(p, kPlay, ButtonFace(kPlay, kDisabledFace)));
  const Pixels before = StillWindow(p);
  for (int id : {int(kPlay), int(kFirstPosition), int(kReversePlay), int(kDivision1), int(kCamera2), int(kDelayUp), int(kAviSave), int(kTrack)}) {
    p.ClickButton(id);
    uidriver::MoveTo({0, 0});
  }
  Sleep(300);
  EXPECT_EQ(StillWindow(p), before);
  EXPECT_EQ(p.ControlText(kDelayLabel), L" 1");

  p.ClickButton(kFileOpen);
  HWND dialog = nullptr;
  ASSERT_TRUE(uidriver::WaitUntil([&] { return (dialog = p.Process().FindOwnWindow(L"#32770")) != nullptr; }, 10000));
  ASSERT_TRUE(uidriver::Focus(dialog));
  uidriver::PressKey(VK_ESCAPE);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  p.ClickButton(kExit);
  DWORD code = 1;
  EXPECT_TRUE(p.Process().WaitExit(10000, &code));
  EXPECT_EQ(code, 0u);
}

TEST(PlayerHost, OpensAFileThroughTheDialogAndShowsItsFirstPicture) {
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer));
  ASSERT_TRUE(p.OpenThroughDialog(kFixture));
  const Pixels first = ButtonFace(kIconFirst, kCheckedDisabledFace), paused = ButtonFace(kIconPause, kCheckedDisabledFace);
  bool saw_first = false;
  ASSERT_TRUE(uidriver::WaitUntil([&] {
    saw_first |= Shows(p, kIconFirst, first);
    return Shows(p, kIconPause, paused);
  }, 15000, 5));
  EXPECT_TRUE(saw_first) << "ICON FIRST POSITION was never shown selected";
  for (int cell = 0; cell < 4; ++cell) {
    const auto mark = p.MarkShown(cell);
    ASSERT_TRUE(mark) << "cell " << cell;
    EXPECT_EQ(mark->camera, cell + 1);
    EXPECT_EQ(mark->picture, 0);
  }
  const Pixels video = p.CaptureRect(kVideoArea);
  for (auto [x, y] : {std::pair{0, 0}, {352, 0}, {0, 264}, {352, 264}})
    EXPECT_GT(CaptionPixels(video, x, y), 40) << "caption of the cell at " << x << "," << y;

  // The start and end times as the panel draws them.
  backup::RecordingInfo info;
  ASSERT_TRUE(backup::ProbeRecording(kFixture.c_str(), info));
  win32::Bitmap panel(SMAPI_GetResourceBitmapHandle(0));
  {
    win32::MemoryDC dc(nullptr);
    win32::SelectedObject use(dc.Get(), panel.Get());
    DrawInfoTexts(dc.Get(), info.start_time, info.end_time, info.start_time);
  }
  for (int id : {65, 66, 68, 69, 74, 75})
    EXPECT_EQ(p.CaptureRect(id), FromBitmap(panel.Get(), SkinRect(id))) << "information text " << id;
}

// Run where the setup has installed the .am4 file type: the shell opens the
// fixture in the player program, which shows its first pictures.
TEST(PlayerHost, DISABLED_TheShellOpensABackupFileInThePlayer) {
  SHELLEXECUTEINFOW open{sizeof(open)};
  open.fMask = SEE_MASK_NOCLOSEPROCESS;
  open.lpVerb = L"open";
  open.lpFile = kFixture.c_str();
  open.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExW(&open));
  ASSERT_NE(open.hProcess, nullptr);
  HWND view = nullptr;
  EXPECT_TRUE(uidriver::WaitUntil([&] {
    HWND player = FindWindowW(nullptr, L"Rewyn");
    return player && (view = uidriver::FindDescendant(player, L"PlayerScreenView")) != nullptr;
  }, 20000));
  const RECT video = SkinRect(kVideoArea);
  bool shown = view && uidriver::WaitUntil([&] {
    const Pixels now = uidriver::Capture(uidriver::OnScreen(view, video));
    for (int camera = 1; camera <= 4; ++camera) {
      const auto mark = testsupport::ReadQuarterMark(now.View(), camera);
      if (!mark || mark->camera != camera || mark->picture != 0) return false;
    }
    return true;
  }, 15000);
  EXPECT_TRUE(shown) << "the four cameras' first pictures";
  TerminateProcess(open.hProcess, 0);
  CloseHandle(open.hProcess);
}

TEST(PlayerHost, PlayAdvancesThePictureThePlayTimeAndTheSlider) {
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer, kFixture));
  ASSERT_TRUE(WaitPaused(p));
  const Pixels time_before = p.CaptureRect(75), slider_before = p.CaptureRect(kSliderBar);
  p.ClickButton(kPlay);
  EXPECT_TRUE(Shows(p, kIconPlay, ButtonFace(kIconPlay, kCheckedDisabledFace)));
  EXPECT_TRUE(uidriver::WaitUntil([&] {
    const auto m = p.MarkShown(0);
    return m && m->picture >= 60;
  }, 10000));
  EXPECT_NE(p.CaptureRect(75), time_before);
  EXPECT_NE(p.CaptureRect(kSliderBar), slider_before);
  EXPECT_TRUE(Shows(p, kFileOpen, ButtonFace(kFileOpen, kDisabledFace))) << "FILE OPEN stays usable while playing";
}

TEST(PlayerHost, DivisionAndCameraButtonsChooseWhatIsShown) {
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer, kFixture));
  ASSERT_TRUE(WaitPaused(p));
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(ComesToShow(p, kCamera1 + k, ButtonFace(kCamera1 + k, kCheckedDisabledFace)));
  EXPECT_TRUE(ComesToShow(p, kAviSave, ButtonFace(kAviSave, kDisabledFace)));

  p.ClickButton(kDivision1);
  EXPECT_TRUE(uidriver::WaitUntil([&] { return p.MarkShown(-1) && p.MarkShown(-1)->camera == 1; }, 5000));
  EXPECT_TRUE(ComesToShow(p, kCamera1, ButtonFace(kCamera1, kCheckedDisabledFace)));
  EXPECT_TRUE(ComesToShow(p, kCamera2, ButtonFace(kCamera2, kNormalFace)));
  EXPECT_TRUE(ComesToShow(p, kAviSave, ButtonFace(kAviSave, kNormalFace)));
  EXPECT_TRUE(ComesToShow(p, kImageEdit, ButtonFace(kImageEdit, kNormalFace)));

  p.ClickButton(kCamera3);
  EXPECT_TRUE(uidriver::WaitUntil([&] { return p.MarkShown(-1) && p.MarkShown(-1)->camera == 3; }, 5000));
  EXPECT_TRUE(ComesToShow(p, kCamera3, ButtonFace(kCamera3, kCheckedDisabledFace)));
  EXPECT_TRUE(ComesToShow(p, kCamera1, ButtonFace(kCamera1, kNormalFace)));

  p.ClickButton(kDivision4);
  EXPECT_TRUE(uidriver::WaitUntil([&] {
    for (int cell = 0; cell < 4; ++cell)
      if (!p.MarkShown(cell) || p.MarkShown(cell)->camera != cell + 1) return false;
    return true;
  }, 5000));
  EXPECT_TRUE(ComesToShow(p, kAviSave, ButtonFace(kAviSave, kDisabledFace)));
  EXPECT_TRUE(ComesToShow(p, kImageEdit, ButtonFace(kImageEdit, kDisabledFace)));
}

TEST(PlayerHost, ImageEditAndAviSaveHoldThePictureAndLockTheTransport) {
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer, kFixture));
  ASSERT_TRUE(WaitPaused(p));
  p.ClickButton(kDivision1);
  p.ClickButton(kPlay);
  ASSERT_TRUE(ComesToShow(p, kIconPlay, ButtonFace(kIconPlay, kCheckedDisabledFace)));

  // The two panels lie over the transport row and its mode icons.
  p.ClickButton(kImageEdit);
  EXPECT_TRUE(ComesToShow(p, kImageEdit, ButtonFace(kImageEdit, kCheckedNormalFace + 1)));  // checked, pointer on it
  for (int id : {int(kFileOpen), int(kAviSave)})
    EXPECT_TRUE(ComesToShow(p, id, ButtonFace(id, kDisabledFace))) << "button " << id;
  const auto held = p.MarkShown(-1);
  Sleep(500);
  EXPECT_EQ(p.MarkShown(-1), held) << "the picture stays while the image is edited";
  p.ClickButton(kImageEdit);
  for (int id : {int(kFileOpen), int(kPlay), int(kAviSave)})
    EXPECT_TRUE(ComesToShow(p, id, ButtonFace(id, kNormalFace))) << "button " << id;

  p.ClickButton(kAviSave);
  for (int id : {int(kImageEdit), int(kExit)})
    EXPECT_TRUE(ComesToShow(p, id, ButtonFace(id, kDisabledFace))) << "button " << id;
  p.ClickButton(kAviSave);
  for (int id : {int(kImageEdit), int(kPlay), int(kExit)})
    EXPECT_TRUE(ComesToShow(p, id, ButtonFace(id, kNormalFace))) << "button " << id;
}

// Run by the sound test, which records the sound card meanwhile.
TEST(PlayerHost, DISABLED_AudioOnPlaysTheRecordingsSound) {
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer, kFixture));
  ASSERT_TRUE(WaitPaused(p));
  p.ClickButton(kAudioBox);
  p.ClickButton(kPlay);
  ASSERT_TRUE(ComesToShow(p, kIconPlay, ButtonFace(kIconPlay, kCheckedDisabledFace)));
  EXPECT_TRUE(WaitPaused(p)) << "played to the end";
  p.ClickButton(kExit);
  EXPECT_TRUE(p.Process().WaitExit(10000));
}

TEST(PlayerHost, ClicksOnTheSliderTrackSeek) {
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer, kFixture));
  ASSERT_TRUE(WaitPaused(p));
  const RECT track = p.ScreenRect(kTrack);
  const int y = (track.top + track.bottom) / 2;
  uidriver::Click({track.left + (track.right - track.left) * 3 / 4, y});
  EXPECT_TRUE(uidriver::WaitUntil([&] {
    const auto m = p.MarkShown(0);
    return m && m->picture >= 150;
  }, 10000)) << "the picture of three quarters of the recording";
  EXPECT_TRUE(WaitPaused(p));

  // Within half a thumb of the left end: the start, and the thumb flush left.
  uidriver::Click({track.left + 3, y});
  EXPECT_TRUE(uidriver::WaitUntil([&] {
    const auto m = p.MarkShown(0);
    return m && m->picture < 30;
  }, 10000));
  EXPECT_TRUE(WaitPaused(p));
  const Pixels bar = p.CaptureRect(kSliderBar);
  const RECT bar_rect = SkinRect(kSliderBar), thumb = SkinRect(kSlideThumb);
  const int thumb_x = thumb.left - bar_rect.left + 8, thumb_y = (thumb.bottom - thumb.top) / 2;
  EXPECT_NE(bar.At(thumb_x, thumb_y), Background(kSliderBar).At(thumb_x, thumb_y)) << "thumb not at the left end";
}

TEST(PlayerHost, HoldingDelayUpWalksTheLabelUpTo32) {
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer, kFixture));
  ASSERT_TRUE(WaitPaused(p));
  std::vector<std::wstring> seen{p.ControlText(kDelayLabel)};
  const POINT up = p.Centre(kDelayUp);
  uidriver::MoveTo(up);
  uidriver::MouseDown(up);
  for (DWORD start = GetTickCount(); GetTickCount() - start < 2100; Sleep(20))
    if (p.ControlText(kDelayLabel) != seen.back()) seen.push_back(p.ControlText(kDelayLabel));
  uidriver::MouseUp(up);
  Sleep(300);
  if (p.ControlText(kDelayLabel) != seen.back()) seen.push_back(p.ControlText(kDelayLabel));
  EXPECT_EQ(seen, (std::vector<std::wstring>{L" 1", L" 2", L" 4", L" 8", L"16", L"32"}));
}

TEST(PlayerHost, AFileThatIsNotABackupFileChangesNothing) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::wstring junk = std::wstring(dir) + L"not_a_backup.am4";
  {
    const std::string bytes(600000, 'x');
    HANDLE f = CreateFileW(junk.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(f);
  }
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer));
  Sleep(500);
  uidriver::MoveTo(p.Centre(kInfoArea));  // no button is hovered and no tooltip shows in either picture
  const Pixels before = StillWindow(p);
  ASSERT_TRUE(p.OpenThroughDialog(junk));
  uidriver::MoveTo(p.Centre(kInfoArea));
  Sleep(1000);
  EXPECT_EQ(StillWindow(p), before);
  DeleteFileW(junk.c_str());
}

// A recording with 3 GB of preallocated zeros behind it (a sparse file):
// the window answers all through the open, and the first picture comes.
TEST(PlayerHost, ARecordingWithALongTailOfZerosOpensWhileTheWindowAnswers) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::wstring copy = std::wstring(dir) + L"zero_tail.am4";
  ASSERT_TRUE(CopyFileW(kFixture.c_str(), copy.c_str(), FALSE));
  {
    win32::UniqueHandle f(CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER end;
    end.QuadPart = 3'000'000'000LL;
    ASSERT_TRUE(SetFilePointerEx(f.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(f.Get()));
  }
  {
    PlayerDriver p;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(p.Start(kPlayer, copy));
    DWORD worst_ping = 0;
    bool shown = false;
    while (!shown && GetTickCount() - start < 60000) {
      const DWORD sent = GetTickCount();
      DWORD_PTR result = 0;
      ASSERT_TRUE(SendMessageTimeoutW(p.Process().Window(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result))
          << "the window did not answer within 2 s, " << sent - start << " ms after the start";
      worst_ping = std::max(worst_ping, GetTickCount() - sent);
      const auto mark = p.MarkShown(0);
      shown = mark && mark->picture == 0;
      Sleep(20);
    }
    ASSERT_TRUE(shown);
    RecordProperty("open_to_first_picture_ms", int(GetTickCount() - start));
    RecordProperty("worst_ping_ms", int(worst_ping));
  }
  DeleteFileW(copy.c_str());
}

// The picture number of camera 1 comes to be `picture`.
bool ComesToPicture(const PlayerDriver& p, int picture) {
  return uidriver::WaitUntil([&] {
    const auto m = p.MarkShown(0);
    return m && m->picture == picture;
  }, 3000, 5);
}

TEST(PlayerHost, KeysStepPlayAndPositionOnceAFileIsOpen) {
  {
    PlayerDriver p;
    ASSERT_TRUE(p.Start(kPlayer));
    ASSERT_TRUE(uidriver::Focus(p.Process().Window()));
    uidriver::MoveTo(p.Centre(kInfoArea));
    Sleep(300);
    const Pixels before = StillWindow(p);
    for (WORD key : {WORD(VK_SPACE), WORD(VK_END), WORD('L'), WORD(VK_RIGHT), WORD(VK_DOWN)}) uidriver::PressKey(key);
    Sleep(300);
    EXPECT_EQ(StillWindow(p), before) << "keys before a file is open";
  }
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer, kFixture));
  ASSERT_TRUE(WaitPaused(p));
  ASSERT_TRUE(uidriver::Focus(p.Process().Window()));
  const struct {
    WORD key;
    int picture;
  } steps[] = {{VK_RIGHT, 1}, {VK_RIGHT, 2}, {VK_RIGHT, 3}, {VK_LEFT, 2}, {VK_RIGHT, 3}, {VK_RIGHT, 4},
               {VK_RIGHT, 5}, {VK_LEFT, 4}};
  for (const auto& step : steps) {
    uidriver::PressKey(step.key);
    EXPECT_TRUE(ComesToPicture(p, step.picture)) << "after a step to " << step.picture;
  }
  uidriver::PressKey(VK_HOME);
  EXPECT_TRUE(ComesToPicture(p, 0));
  uidriver::PressKey(VK_LEFT);
  Sleep(300);
  EXPECT_EQ(p.MarkShown(0)->picture, 0) << "nothing before the first picture";

  uidriver::PressKey(VK_SPACE);
  EXPECT_TRUE(ComesToShow(p, kIconPlay, ButtonFace(kIconPlay, kCheckedDisabledFace)));
  uidriver::PressKey(VK_SPACE);
  ASSERT_TRUE(WaitPaused(p));
  uidriver::PressKey(VK_END);
  EXPECT_TRUE(uidriver::WaitUntil([&] {
    const auto m = p.MarkShown(0);
    return m && m->picture >= 240;
  }, 5000)) << "the last position";
  ASSERT_TRUE(WaitPaused(p));
  const int last = p.MarkShown(0)->picture;
  uidriver::PressKey(VK_LEFT);
  EXPECT_TRUE(ComesToPicture(p, last - 1));

  // IMAGE EDIT holds the picture: the keys leave it.
  p.ClickButton(kDivision1);
  p.ClickButton(kImageEdit);
  ASSERT_TRUE(ComesToShow(p, kFileOpen, ButtonFace(kFileOpen, kDisabledFace)));
  const auto held = p.MarkShown(-1);
  for (WORD key : {WORD(VK_RIGHT), WORD(VK_HOME), WORD(VK_SPACE)}) uidriver::PressKey(key);
  Sleep(500);
  EXPECT_EQ(p.MarkShown(-1), held);

  // The legend of the keys shows where the pointer rests on the video area.
  uidriver::MoveTo(p.Centre(kVideoArea));
  EXPECT_TRUE(uidriver::WaitUntil([&] { return p.Process().FindOwnWindow(L"tooltips_class32") != nullptr; }, 3000));
}

// Drags a file (a path of this machine) onto the screen point with the drag
// source of the tests, as a file manager would; true once the drop finished.
// The drag source is a program of this machine: Wine's ntdll starts it.
bool DropFile(POINT at, const std::string& unix_path) {
  using Spawn = LONG(__cdecl*)(char* const argv[], int wait);
  const auto spawn = reinterpret_cast<Spawn>(GetProcAddress(GetModuleHandleW(L"ntdll"), "__wine_unix_spawnvp"));
  if (!spawn) return false;
  std::string program = XDND_DROP, x = std::to_string(at.x), y = std::to_string(at.y), path = unix_path;
  char* argv[] = {program.data(), x.data(), y.data(), path.data(), nullptr};
  return spawn(argv, 1) == 0;
}

TEST(PlayerHost, ADroppedBackupFileOpensAndADroppedTextFileChangesNothing) {
  const std::string text = "/tmp/rewyn_drop_" + std::to_string(GetCurrentProcessId()) + ".txt";
  {
    const std::wstring name = WindowsPath(L"Z:" + Widen(text.c_str()));
    HANDLE f = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, "not a recording\n", 16, &written, nullptr);
    CloseHandle(f);
  }
  PlayerDriver p;
  ASSERT_TRUE(p.Start(kPlayer));
  Sleep(500);
  uidriver::MoveTo(p.Centre(kInfoArea));
  const Pixels before = StillWindow(p);
  EXPECT_TRUE(DropFile(p.Centre(kVideoArea), text));
  Sleep(800);
  EXPECT_EQ(StillWindow(p), before) << "a dropped text file";
  DeleteFileW(WindowsPath(L"Z:" + Widen(text.c_str())).c_str());

  const std::string fixture = FIXTURE_DIR "/cams4_25fps.am4";
  ASSERT_TRUE(DropFile(p.Centre(kVideoArea), fixture.substr(fixture.rfind(':') + 1)));  // without the drive
  EXPECT_TRUE(ComesToPicture(p, 0));
  EXPECT_TRUE(WaitPaused(p));
}

}  // namespace
