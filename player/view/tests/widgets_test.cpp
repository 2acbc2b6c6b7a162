// The button's state machine, the slider arithmetic and the clock's glyphs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "button_state.h"
#include "clock_face.h"
#include "player_keys.h"
#include "slider_math.h"

namespace view {
namespace {

enum Event { kPressIn, kPressOut, kReleaseIn, kReleaseOut, kDragIn, kDragOut, kHoverIn, kHoverOut };

// Runs the events and writes what was told to the owner: c click, e repeat
// end, d down, s start repeat, x stop repeat (in that order per event).
std::string Drive(ButtonState& b, std::initializer_list<Event> events) {
  std::string told;
  for (Event e : events) {
    ButtonOutcome o;
    switch (e) {
      case kPressIn: o = Press(b, true, false); break;
      case kPressOut: o = Press(b, false, false); break;
      case kReleaseIn: o = Release(b, true, false); break;
      case kReleaseOut: o = Release(b, false, false); break;
      case kDragIn: o = Move(b, true, true); break;
      case kDragOut: o = Move(b, false, true); break;
      case kHoverIn: o = Move(b, true, false); break;
      case kHoverOut: o = Move(b, false, false); break;
    }
    told += std::string(o.click ? "c" : "") + (o.repeat_end ? "e" : "") + (o.down ? "d" : "") +
            (o.start_repeat ? "s" : "") + (o.stop_repeat ? "x" : "");
  }
  return told;
}

ButtonState Enabled(bool toggle = false, bool repeat = false) {
  ButtonState b;
  b.Enable(true);
  b.toggle = toggle;
  b.auto_repeat = repeat;
  return b;
}

TEST(ButtonState, MouseSequences) {
  struct Case {
    const char* name;
    bool toggle, repeat;
    std::initializer_list<Event> events;
    const char* told;
    ButtonLook look;
    bool checked;
  } cases[] = {
      {"push click", false, false, {kHoverIn, kPressIn, kReleaseIn}, "c", ButtonLook::kHover, false},
      {"toggle dragged off and back", true, false, {kPressIn, kDragOut, kDragIn, kReleaseIn}, "c",
       ButtonLook::kHover, true},
      {"toggle released outside", true, false, {kPressIn, kDragOut, kReleaseOut}, "", ButtonLook::kNormal, false},
      {"pressed stays pressed off the button", false, false, {kPressIn, kDragOut}, "", ButtonLook::kPressed, false},
      {"second press is no change", false, false, {kPressIn, kPressIn, kReleaseIn}, "c", ButtonLook::kHover, false},
      {"press elsewhere resets hover", false, false, {kHoverIn, kPressOut}, "", ButtonLook::kNormal, false},
      {"release without a press", false, false, {kHoverIn, kReleaseIn}, "", ButtonLook::kHover, false},
      {"repeat held and released inside", false, true, {kPressIn, kReleaseIn}, "sex", ButtonLook::kHover, false},
      {"repeat dragged off ends once", false, true, {kPressIn, kDragOut, kDragOut, kReleaseOut}, "sexx",
       ButtonLook::kNormal, false},
      {"hover leaves", false, false, {kHoverIn, kHoverOut}, "", ButtonLook::kNormal, false},
  };
  for (const Case& c : cases) {
    ButtonState b = Enabled(c.toggle, c.repeat);
    EXPECT_EQ(Drive(b, c.events), c.told) << c.name;
    EXPECT_EQ(b.look, c.look) << c.name;
    EXPECT_EQ(b.checked, c.checked) << c.name;
  }
}

TEST(ButtonState, DisabledOrHiddenIgnoresTheMouse) {
  ButtonState disabled = Enabled(true);
  disabled.Enable(false);
  EXPECT_EQ(Drive(disabled, {kHoverIn, kPressIn, kReleaseIn}), "");
  EXPECT_EQ(disabled.look, ButtonLook::kDisabled);
  ButtonState hidden = Enabled();
  hidden.visible = false;
  EXPECT_EQ(Drive(hidden, {kPressIn, kReleaseIn}), "");
  EXPECT_EQ(hidden.look, ButtonLook::kNormal);
}

TEST(ButtonState, NotifyOnPressTellsAtPressAndNotAtRelease) {
  ButtonState thumb = Enabled();
  thumb.notify_on_press = true;
  EXPECT_EQ(Drive(thumb, {kPressIn, kReleaseIn}), "d");
}

TEST(ButtonState, HeldEventsAreIgnoredAfterTheTimer) {
  ButtonState b = Enabled(false, true);
  EXPECT_FALSE(Press(b, true, true).changed);
  Press(b, true, false);
  const ButtonOutcome o = Release(b, true, true);
  EXPECT_TRUE(o.stop_repeat);
  EXPECT_FALSE(o.repeat_end);
  EXPECT_EQ(b.look, ButtonLook::kPressed);
}

TEST(ButtonState, FaceByLookAndCheckedState) {
  ButtonState b = Enabled(true);
  b.checked = true;
  b.Enable(false);
  EXPECT_EQ(FaceIndex(b), 7);  // checked disabled
  b.toggle = false;
  EXPECT_EQ(FaceIndex(b), 3);  // a push button has no checked looks
}

TEST(Slider, ThumbPlacement) {
  const Span track{16, 712}, thumb{100, 116};
  struct Case {
    int x, left, fill;
  } cases[] = {{0, 16, 16}, {23, 16, 16}, {24, 16, 24}, {400, 392, 400}, {696, 688, 696}, {697, 696, 696},
               {900, 696, 696}, {0xFFFB, 100, 100}, {4096, 100, 100}};
  for (const Case& c : cases) {
    const ThumbPlacement p = PlaceThumb(track, thumb, c.x);
    EXPECT_EQ(p.thumb.left, c.left) << c.x;
    EXPECT_EQ(p.thumb.right, c.left + 16) << c.x;
    EXPECT_EQ(p.fill_end, c.fill) << c.x;
  }
}

TEST(Slider, OffsetAndSeekFraction) {
  EXPECT_EQ(SliderOffset(696, 0, 0), 0);
  EXPECT_EQ(SliderOffset(696, 5, 0), 0);
  EXPECT_EQ(SliderOffset(696, 3'000'000'000u, 4'000'000'000u), 522);
  EXPECT_EQ(SliderOffset(696, 10, 10), 696);
  const Span track{16, 712};
  EXPECT_DOUBLE_EQ(SeekFraction(track, 16), 0);
  EXPECT_DOUBLE_EQ(SeekFraction(track, 364), 0.5);
  EXPECT_DOUBLE_EQ(SeekFraction(track, -30), 0);
  EXPECT_DOUBLE_EQ(SeekFraction(track, 5000), 1);
}

TEST(Clock, GlyphsOfTheTime) {
  const auto x_of = [](int h, int m, int s) {
    std::vector<int> xs;
    for (Glyph g : ClockGlyphs(h, m, s)) xs.push_back(g.x);
    return xs;
  };
  EXPECT_EQ(x_of(12, 5, 9), (std::vector<int>{9, 18, 90, 0, 45, 90, 0, 81}));
  EXPECT_EQ(x_of(23, 59, 59), (std::vector<int>{18, 27, 90, 45, 81, 90, 45, 81}));
  EXPECT_EQ(ClockGlyphs(0, 0, 0)[2].width, kColonWidth);
}

TEST(PlayerKeys, EachKeyAsksForItsActionAndSpaceAndLDependOnThePlaying) {
  using A = KeyAction;
  const struct {
    unsigned key;
    bool playing, fast;
    KeyAction action;
  } cases[] = {
      {0x20, false, false, A::kPlay},        {0x20, true, false, A::kPause},      {0x20, false, true, A::kPause},
      {0x27, false, false, A::kStepForward}, {0x25, true, false, A::kStepBack},   {'J', false, false, A::kReversePlay},
      {'K', true, false, A::kPause},         {'L', false, false, A::kPlay},       {'L', true, false, A::kFastForward},
      {'L', false, true, A::kPlay},          {0x24, false, false, A::kFirst},     {0x23, true, false, A::kLast},
      {0x26, false, false, A::kDelayDown},   {0x28, false, false, A::kDelayUp},   {'A', false, false, A::kNone},
      {0x0D, true, false, A::kNone},         {'N', true, false, A::kNextMotion},
      {'P', false, false, A::kPreviousMotion}, {0x1B, false, false, A::kClearRegion},
  };
  for (const auto& c : cases) EXPECT_EQ(ActionOfKey(c.key, c.playing, c.fast), c.action) << c.key << " " << c.playing;
}

}  // namespace
}  // namespace view
