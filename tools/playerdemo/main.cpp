// playerdemo PLAYERHOST FILE [--shots DIR]: the main job's player session.
// Without --shots (a person's display) it opens FILE in the player, presses
// PLAY and leaves the window to the person until they press EXIT. With
// --shots it drives the window as a person would: FILE OPEN with FILE typed
// into the dialog, PLAY, DIVISION 01, REVERSE PLAY, and saves a screenshot
// of the first picture, of playback, of single view and of reverse play
// into DIR, then presses EXIT.
#include <windows.h>

#include <cstdio>
#include <string>

#include "player_driver.h"

namespace {

enum { kExit = 4, kReversePlay = 7, kPlay = 9, kDivision1 = 29, kIconPause = 44, kAudioOn = 519 };

bool Shot(const uidriver::PlayerDriver& player, const std::wstring& dir, const wchar_t* name) {
  const std::wstring path = dir + L"\\" + name;
  const bool ok = uidriver::SavePng(player.CaptureWindow(), path);
  std::printf("playerdemo: %s %ls\n", ok ? "saved" : "could not save", path.c_str());
  return ok;
}

// The first picture is shown once the mark of camera 1 reads.
bool WaitFirstPicture(const uidriver::PlayerDriver& player) {
  return uidriver::WaitUntil([&] { return player.MarkShown(0).has_value(); }, 20000);
}

int DriveWithShots(uidriver::PlayerDriver& player, const std::wstring& file, const std::wstring& dir) {
  CreateDirectoryW(dir.c_str(), nullptr);
  if (!player.OpenThroughDialog(file) || !WaitFirstPicture(player)) {
    std::fputs("playerdemo: the file did not open\n", stderr);
    return 1;
  }
  Sleep(500);
  bool ok = Shot(player, dir, L"1_first_picture.png");
  player.ClickButton(kAudioOn);
  player.ClickButton(kPlay);
  Sleep(4000);
  ok &= Shot(player, dir, L"2_playback.png");
  player.ClickButton(kDivision1);
  Sleep(2000);
  ok &= Shot(player, dir, L"3_single_view.png");
  player.ClickButton(kReversePlay);
  Sleep(2000);
  ok &= Shot(player, dir, L"4_reverse_play.png");
  player.ClickButton(kExit);
  return ok && player.Process().WaitExit(15000) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && !(argc == 5 && std::wstring(argv[3]) == L"--shots")) {
    std::fputs("usage: playerdemo PLAYERHOST FILE [--shots DIR]\n", stderr);
    return 2;
  }
  uidriver::PlayerDriver player;
  if (argc == 5) {
    if (!player.Start(argv[1])) return std::fputs("playerdemo: the player did not start\n", stderr), 1;
    return DriveWithShots(player, argv[2], argv[4]);
  }
  if (!player.Start(argv[1], argv[2]) || !WaitFirstPicture(player))
    return std::fputs("playerdemo: the player did not open the file\n", stderr), 1;
  Sleep(500);
  player.ClickButton(kPlay);
  std::puts("playerdemo: playing; press EXIT in the player to end");
  std::fflush(stdout);
  DWORD code = 1;
  while (!player.Process().WaitExit(1000, &code)) {
  }
  return int(code);
}
