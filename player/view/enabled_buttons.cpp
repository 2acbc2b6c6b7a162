#include "enabled_buttons.h"

#include "play_mode.h"

namespace view {

ButtonSet EnabledButtons(const PanelState& s) {
  ButtonSet on;
  const bool panel_shown = s.avi_save_shown || s.image_edit_shown;
  const bool running = s.play_mode >= engine::kModePlay && s.play_mode <= engine::kModeRewind;
  // An open panel holds the picture: the transport row, FILE OPEN and EXIT wait for it.
  on[kExit] = !panel_shown;
  on[kFileOpen] = !panel_shown && !running;
  for (int id : {kFirstPosition, kRewind, kReversePlay, kPause, kPlay, kFastForward, kLastPosition})
    on[id] = s.file_open && !panel_shown;
  // Each panel works on one camera: its toggle is usable in single view, and
  // while its panel is open, so that it can be closed; one panel at a time.
  on[kAviSave] = s.file_open && !s.image_edit_shown && (s.single_view || s.avi_save_shown);
  on[kImageEdit] = s.file_open && !s.avi_save_shown && (s.single_view || s.image_edit_shown);
  for (int id : {kDivision1, kDivision4, kDelayUp, kDelayDown, kSpeedUp, kSpeedDown}) on[id] = s.file_open;
  on[kSlideThumb] = s.file_open && !s.image_edit_shown;
  // A camera on screen is lit and needs no button.
  for (int k = 0; k < 4; ++k) on[kCamera1 + k] = k < s.cameras && !((s.cameras_shown >> k) & 1);
  return on;
}

}  // namespace view
