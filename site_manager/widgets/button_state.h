// The skinned button's states: which face it shows, whether it takes clicks,
// and what each mouse event asks of its window. Portable.
#pragma once

#include <cstdint>

// The button's own numbering of its faces (a skin's face set comes as
// normal, hover, pressed, disabled).
enum ButtonFace : uint8_t { kFaceNormal = 0, kFacePressed = 1, kFaceHover = 2, kFaceDisabled = 3 };

// What the window does after an event, in this order: repaint, ask for a
// leave notification, pass the event on to the push button, post hover or
// leave to the notification window.
struct ButtonReaction {
  bool repaint = false;
  bool trackLeave = false;
  bool passOn = false;
  bool postHover = false;
  bool postLeave = false;
  bool operator==(const ButtonReaction&) const = default;
};

class ButtonState {
 public:
  ButtonReaction ButtonDown();
  ButtonReaction ButtonUp();
  ButtonReaction MouseMove();
  // An inactive button asks for leave notifications too, so that leaving it
  // also ends its hover (and the help box of the window it notifies).
  ButtonReaction MouseLeave();
  ButtonReaction Disable();
  ButtonReaction Enable();

  ButtonFace face() const { return face_; }
  bool active() const { return active_; }
  bool notAllowed() const { return !active_; }
  bool hovering() const { return hovering_; }

 private:
  ButtonFace face_ = kFaceNormal;
  bool active_ = true;
  bool pressed_ = false;
  bool hovering_ = false;
};
