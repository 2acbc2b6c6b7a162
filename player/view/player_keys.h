// The player window's keys: what each one asks of the player, given the
// mode playing. Virtual-key codes as the system numbers them.
#pragma once

namespace view {

enum class KeyAction {
  kNone, kPlay, kPause, kReversePlay, kFastForward, kStepForward, kStepBack, kFirst, kLast, kDelayDown, kDelayUp,
  kNextMotion, kPreviousMotion, kClearRegion
};

// `playing`: the engine plays forward (play mode 2); `fast`: fast forward.
KeyAction ActionOfKey(unsigned virtual_key, bool playing, bool fast);

// The tooltip of the video area.
inline constexpr wchar_t kKeyLegend[] =
    L"Space play/pause   Left/Right step back/forward   J reverse  K pause  L play (again: fast)\n"
    L"Home first   End last   Up/Down delay down/up\n"
    L"Drag a region (one camera shown) to search it for motion:   N/P next/previous motion   Esc clear";

}  // namespace view
