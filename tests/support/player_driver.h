// Drives playerhost.exe through its panel: buttons by skin identifier, the
// open-file dialog, screenshots, and what the video area shows.
#pragma once
#include <optional>
#include <string>

#include "picture_mark.h"
#include "ui_driver.h"

namespace uidriver {

class PlayerDriver {
 public:
  // Starts the player (with FILE when given) and waits for its window.
  bool Start(const std::wstring& playerhost, const std::wstring& file = L"");
  Program& Process() { return program_; }
  const Program& Process() const { return program_; }
  HWND View() const { return view_; }

  RECT ScreenRect(int skin_id) const;
  POINT Centre(int skin_id) const;
  void ClickButton(int skin_id);
  // FILE OPEN, then the path typed into the dialog and Open; true once the
  // dialog has closed.
  bool OpenThroughDialog(const std::wstring& path);

  Pixels CaptureRect(int skin_id) const { return Capture(ScreenRect(skin_id)); }
  Pixels CaptureWindow() const;
  // The mark shown in a cell of the four division (0..3), or in single view (-1).
  std::optional<mark::Mark> MarkShown(int cell) const;
  std::wstring ControlText(int id) const;

 private:
  Program program_;
  HWND view_ = nullptr;
};

}  // namespace uidriver
