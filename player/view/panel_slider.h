// The position slider on the player's panel: bar, fill and thumb. The
// data-load worker moves it as playback goes on, the user-interface thread
// on clicks and drags. The thumb is one of the panel's buttons; its
// rectangle and state are read and written under the panel's lock only.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "image_button.h"
#include "panel.h"
#include "win32/gdi.h"

namespace view {

class PanelSlider {
 public:
  explicit PanelSlider(Panel& panel) : panel_(panel) {}

  // User-interface thread, with no engine running.
  void Load(ImageButton* thumb);
  void Unload();
  // Drawn with the thumb at x (centred, kept on the track) into the panel
  // context the caller holds locked.
  void DrawLocked(HDC panel, int x);
  // At the track's start for a new file, drawn into the locked panel.
  void RestartLocked(HDC panel);

  // Any thread: moves the thumb to position of span when that moves it.
  void ShowPosition(uint32_t position, uint32_t span);

  // User-interface thread. A press on the track of a usable slider, or a
  // drag of the thumb, moves it there: the fraction to seek to.
  std::optional<double> Press(int x, int y);
  std::optional<double> Drag(int x, bool left_down);
  void StartDrag() { dragging_ = true; }
  void EndDrag() { dragging_ = false; }

 private:
  std::optional<double> MoveTo(int x);

  Panel& panel_;
  ImageButton* thumb_ = nullptr;  // owned by the panel's buttons
  win32::Bitmap bar_, fill_;
  std::atomic<int> last_offset_{-1};  // offset the position put it at last
  bool dragging_ = false;             // user-interface thread
};

}  // namespace view
