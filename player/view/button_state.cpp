#include "button_state.h"

namespace view {

namespace {
bool SetLook(ButtonState& b, ButtonLook look) {
  if (b.look == look) return false;
  b.look = look;
  return true;
}
}  // namespace

ButtonOutcome Press(ButtonState& b, bool inside, bool held) {
  ButtonOutcome o;
  if (!b.enabled || !b.visible || held) return o;
  if (!inside) {
    o.changed = SetLook(b, ButtonLook::kNormal);
    return o;
  }
  if (b.look == ButtonLook::kPressed) return o;
  b.look = ButtonLook::kPressed;
  o.changed = true;
  if (b.auto_repeat) o.start_repeat = b.repeating = true;
  o.down = b.notify_on_press;
  return o;
}

ButtonOutcome Release(ButtonState& b, bool inside, bool held) {
  ButtonOutcome o;
  if (!b.enabled || !b.visible) return o;
  if (b.auto_repeat) {
    o.stop_repeat = true;
    b.repeating = false;
  }
  if (held) return o;
  if (!inside) {
    o.changed = SetLook(b, ButtonLook::kNormal);
    return o;
  }
  if (b.look == ButtonLook::kHover) return o;
  if (b.look == ButtonLook::kPressed) {
    if (b.toggle) b.checked = !b.checked;
    if (!b.notify_on_press) (b.auto_repeat ? o.repeat_end : o.click) = true;
  }
  b.look = ButtonLook::kHover;
  o.changed = true;
  return o;
}

ButtonOutcome Move(ButtonState& b, bool inside, bool left_down) {
  ButtonOutcome o;
  if (!b.enabled || !b.visible) return o;
  // Dragged off while repeating: the repeats end once, at once.
  if (b.repeating && b.look == ButtonLook::kPressed && !inside) {
    b.repeating = false;
    o.stop_repeat = o.repeat_end = true;
  }
  if (inside) {
    if (!(left_down && b.look == ButtonLook::kPressed)) o.changed = SetLook(b, ButtonLook::kHover);
  } else {
    // A pressed button stays pressed while the pointer is dragged off it.
    if (!(left_down && b.look == ButtonLook::kPressed)) o.changed = SetLook(b, ButtonLook::kNormal);
  }
  return o;
}

int FaceIndex(const ButtonState& b) { return int(b.look) + (b.toggle && b.checked ? 4 : 0); }

}  // namespace view
