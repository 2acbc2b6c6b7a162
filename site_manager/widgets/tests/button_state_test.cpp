// The skinned button's faces and notifications through sequences of events.
#include "button_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Runs events (D down, U up, M move, L leave, X disable, E enable) and
// records the face after each and the notifications posted (h, l).
std::string Play(const std::string& events, ButtonState& b) {
  std::string out;
  for (char e : events) {
    ButtonReaction r = e == 'D' ? b.ButtonDown() : e == 'U' ? b.ButtonUp() : e == 'M' ? b.MouseMove()
                     : e == 'L' ? b.MouseLeave() : e == 'X' ? b.Disable() : b.Enable();
    out += char('0' + b.face());
    if (r.postHover) out += 'h';
    if (r.postLeave) out += 'l';
  }
  return out;
}

TEST(ButtonState, FacesAndNotificationsFollowTheMouse) {
  struct Case {
    const char* events;
    const char* faces;
  } cases[] = {
      {"MMDUL", "2h2100l"},      // hover once, press, release, leave
      {"MDMLU", "2h110l0"},      // released outside after leaving: normal face
      {"MDLM", "2h10l1h"},       // back in while still pressed
      {"XMDUMML", "33h33333l"},   // disabled: keeps its face, hovers once, leave ends the hover
      {"XE", "30"},
      {"MXL", "2h33l"},           // disabled while hovered
  };
  for (const Case& c : cases) {
    ButtonState b;
    EXPECT_EQ(Play(c.events, b), c.faces) << c.events;
  }
}

TEST(ButtonState, DisabledButtonSwallowsClicksAndShowsNotAllowed) {
  ButtonState b;
  b.Disable();
  EXPECT_FALSE(b.active());
  EXPECT_TRUE(b.notAllowed());
  EXPECT_EQ(b.ButtonDown(), ButtonReaction{});
  EXPECT_EQ(b.ButtonUp(), ButtonReaction{});
  ButtonReaction move = b.MouseMove();
  EXPECT_FALSE(move.passOn);
  EXPECT_FALSE(move.repaint);
  EXPECT_TRUE(move.trackLeave);
  b.Enable();
  EXPECT_TRUE(b.active());
  EXPECT_TRUE(b.ButtonDown().passOn);
}

TEST(ButtonState, DisablingWhilePressedForgetsThePress) {
  ButtonState b;
  b.ButtonDown();
  b.Disable();
  b.Enable();
  b.MouseMove();
  EXPECT_EQ(b.face(), kFaceHover);
}

}  // namespace
