// Which of the player panel's buttons are enabled: one function of what the
// panel shows. Portable.
#pragma once
#include <bitset>
#include <cstdint>

#include "player_controls.h"

namespace view {

struct PanelState {
  bool file_open = false;         // a backup file has been opened
  int play_mode = 0;              // engine::PlayMode, as reported last
  bool single_view = false;       // DIVISION 01; otherwise the four cameras
  bool avi_save_shown = false;    // the AVI save panel is open
  bool image_edit_shown = false;  // the image edit panel is open
  int cameras = 0;                // of the open file
  uint8_t cameras_shown = 0;      // bit k: camera k is on screen
};

using ButtonSet = std::bitset<kMaxButtonId + 1>;  // by button identifier

ButtonSet EnabledButtons(const PanelState& state);

}  // namespace view
