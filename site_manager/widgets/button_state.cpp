#include "button_state.h"

ButtonReaction ButtonState::ButtonDown() {
  if (!active_) return {};
  pressed_ = true;
  face_ = kFacePressed;
  return {.repaint = true, .passOn = true};
}

ButtonReaction ButtonState::ButtonUp() {
  if (!active_) return {};
  pressed_ = false;
  face_ = kFaceNormal;
  return {.repaint = true, .passOn = true};
}

ButtonReaction ButtonState::MouseMove() {
  ButtonReaction r{.trackLeave = true};
  if (active_) {
    face_ = pressed_ ? kFacePressed : kFaceHover;
    r.repaint = r.passOn = true;
  }
  if (!hovering_) hovering_ = r.postHover = true;
  return r;
}

ButtonReaction ButtonState::MouseLeave() {
  ButtonReaction r;
  if (hovering_) {
    hovering_ = false;
    r.postLeave = true;
  }
  if (active_) {
    face_ = kFaceNormal;
    r.repaint = true;
  }
  return r;
}

ButtonReaction ButtonState::Disable() {
  face_ = kFaceDisabled;
  active_ = pressed_ = false;
  return {.repaint = true};
}

ButtonReaction ButtonState::Enable() {
  face_ = kFaceNormal;
  active_ = true;
  return {.repaint = true};
}
