// The position slider on the player's panel: bar, fill, the motion search's
// marks and thumb. The data-load worker moves it as playback goes on, the
// user-interface thread on clicks and drags. The thumb is one of the panel's
// buttons; its rectangle and state, and the marks, are read and written
// under the panel's lock only.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "image_button.h"
#include "panel.h"
#include "slider_math.h"
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

  // User-interface thread: the search's marks, a thin bar under the fill as
  // far as it has got (0-1000) and a mark over the fill for each interval
  // found (positions of span, first to last); redrawn.
  using Interval = std::pair<uint32_t, uint32_t>;
  void ShowSearch(int permille, const std::vector<Interval>& intervals, uint32_t span);
  void ClearSearch() { ShowSearch(0, {}, 0); }

  // User-interface thread. A press on the track of a usable slider, or a
  // drag of the thumb, moves it there: the fraction to seek to.
  std::optional<double> Press(int x, int y);
  std::optional<double> Drag(int x, bool left_down);
  void StartDrag() { dragging_ = true; }
  void EndDrag() { dragging_ = false; }

 private:
  std::optional<double> MoveTo(int x);
  void DrawMarksLocked(HDC panel) const;

  Panel& panel_;
  ImageButton* thumb_ = nullptr;  // owned by the panel's buttons
  win32::Bitmap bar_, fill_;
  std::atomic<int> last_offset_{-1};  // offset the position put it at last
  int progress_end_ = 0;              // the search's: x where its bar ends (0: none)
  std::vector<Span> marks_;           // and its intervals' marks
  bool dragging_ = false;             // user-interface thread
};

}  // namespace view
