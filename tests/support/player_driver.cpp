#include "player_driver.h"

#include "skin_table.h"

namespace uidriver {

namespace {
constexpr int kVideoArea = 60, kFileOpen = 3;
}

bool PlayerDriver::Start(const std::wstring& playerhost, const std::wstring& file) {
  std::wstring line = L"\"" + playerhost + L"\"";
  if (!file.empty()) line += L" \"" + file + L"\"";
  // What the last player left on the screen is not taken for this one's,
  // and the pointer rests off the window that opens.
  ClearScreen();
  MoveTo({GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1});
  if (!program_.Start(line, L"Rewyn")) return false;
  // The view sits in the player control's window, inside the host's.
  WaitUntil([&] { return (view_ = FindDescendant(program_.Window(), L"PlayerScreenView")) != nullptr; }, 10000);
  return view_ != nullptr;
}

RECT PlayerDriver::ScreenRect(int skin_id) const {
  const auto r = skin::FindRect(skin::kPlayerSkin, uint16_t(skin_id));
  if (!r) return {};
  return OnScreen(view_, RECT{r->left, r->top, r->right, r->bottom});
}

POINT PlayerDriver::Centre(int skin_id) const {
  const RECT r = ScreenRect(skin_id);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void PlayerDriver::ClickButton(int skin_id) { Click(Centre(skin_id)); }

bool PlayerDriver::OpenThroughDialog(const std::wstring& path) {
  ClickButton(kFileOpen);
  // The open-file dialog: the program's dialog with an Open button that
  // stays (it may pass through a first window while it starts, and hides
  // itself for a moment while it changes folders).
  HWND dialog = nullptr;
  const auto settled = [&] {
    HWND d = program_.FindOwnWindow(L"#32770");
    if (!d || !GetDlgItem(d, IDOK)) return false;
    Sleep(300);
    return (dialog = d) == program_.FindOwnWindow(L"#32770");
  };
  if (!WaitUntil(settled, 10000) || !Focus(dialog)) return false;
  TypeText(path);
  // Enter, as often as a person would press it: the first may only take
  // the name completion's proposal or move to the typed path's folder.
  for (int attempt = 0; attempt < 3; ++attempt) {
    PressKey(VK_RETURN);
    if (WaitUntil([&] { return !IsWindow(dialog); }, 1500)) return true;
  }
  return false;
}

Pixels PlayerDriver::CaptureWindow() const {
  RECT r;
  GetWindowRect(program_.Window(), &r);
  return Capture(r);
}

std::optional<mark::Mark> PlayerDriver::MarkShown(int cell) const {
  const Pixels video = CaptureRect(kVideoArea);
  if (video.width == 0) return std::nullopt;
  if (cell < 0) return testsupport::ReadMark(video.View(), 0, 0, video.width, video.height);
  return testsupport::ReadQuarterMark(video.View(), cell + 1);
}

std::wstring PlayerDriver::ControlText(int id) const {
  wchar_t text[128] = {};
  GetDlgItemTextW(view_, id, text, 128);
  return text;
}

}  // namespace uidriver
