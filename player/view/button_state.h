// The skinned button's state machine: how press, release and pointer moves
// change its look and what it tells its owner. Portable; the window side
// draws, posts the messages and runs the repeat timer.
#pragma once

namespace view {

enum class ButtonLook { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

struct ButtonState {
  bool enabled = false;
  bool visible = true;
  bool auto_repeat = false;
  bool toggle = false;
  bool checked = false;
  bool notify_on_press = false;
  bool repeating = false;  // the repeat timer runs
  ButtonLook look = ButtonLook::kNormal;

  void Enable(bool on) {
    enabled = on;
    look = on ? ButtonLook::kNormal : ButtonLook::kDisabled;
  }
};

// What one mouse event did.
struct ButtonOutcome {
  bool changed = false;       // the look changed: redraw
  bool click = false;         // post the click
  bool repeat_end = false;    // post the end of an auto-repeat
  bool down = false;          // post the press notification
  bool start_repeat = false;  // start the repeat timer
  bool stop_repeat = false;   // stop the repeat timer
};

// `held` set: the event is ignored after the timer handling.
ButtonOutcome Press(ButtonState& b, bool inside, bool held);
ButtonOutcome Release(ButtonState& b, bool inside, bool held);
// `left_down`: the move happens with the left button held.
ButtonOutcome Move(ButtonState& b, bool inside, bool left_down);

// The index of the face to draw: 0..3 plain looks, 4..7 the checked looks.
int FaceIndex(const ButtonState& b);

}  // namespace view
