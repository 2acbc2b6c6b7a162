// Which buttons the panel enables in each of its states.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enabled_buttons.h"
#include "play_mode.h"

namespace view {
namespace {

// The enabled buttons by their labels, in table order.
std::string Labels(const ButtonSet& on) {
  std::string out;
  for (const ButtonEntry& b : kButtons) {
    if (!on[b.id]) continue;
    if (!out.empty()) out += ", ";
    for (const wchar_t* c = b.label; *c; ++c) out += char(*c);
  }
  return out;
}

std::string Labels(std::vector<std::vector<int>> groups) {
  ButtonSet on;
  for (const auto& group : groups)
    for (int id : group) on[id] = true;
  return Labels(on);
}

const std::vector<int> kTransport = {kFirstPosition, kRewind, kReversePlay, kPause, kPlay, kFastForward, kLastPosition};
const std::vector<int> kAlwaysWithAFile = {kDivision1, kDivision4, kDelayUp, kDelayDown, kSpeedUp, kSpeedDown};

PanelState Open(int mode, bool single, uint8_t shown) {
  PanelState s;
  s.file_open = true;
  s.play_mode = mode;
  s.single_view = single;
  s.cameras = 4;
  s.cameras_shown = shown;
  return s;
}

PanelState WithPanels(PanelState s, bool avi_save, bool image_edit) {
  s.avi_save_shown = avi_save;
  s.image_edit_shown = image_edit;
  return s;
}

TEST(EnabledButtons, FollowWhatThePanelShows) {
  using namespace engine;
  const PanelState quad = Open(kModePause, false, 0xF), single = Open(kModePause, true, 0x4);
  PanelState two_cameras = Open(kModePause, true, 0x2);
  two_cameras.cameras = 2;
  const struct {
    const char* what;
    PanelState state;
    std::vector<std::vector<int>> enabled;
  } cases[] = {
      {"before a file", {}, {{kFileOpen, kExit}}},
      {"four cameras, paused", quad, {{kFileOpen, kExit, kSlideThumb}, kTransport, kAlwaysWithAFile}},
      {"four cameras, playing", Open(kModePlay, false, 0xF), {{kExit, kSlideThumb}, kTransport, kAlwaysWithAFile}},
      {"one camera, paused", single,
       {{kAviSave, kImageEdit, kFileOpen, kExit, kCamera1, kCamera2, kCamera4, kSlideThumb}, kTransport,
        kAlwaysWithAFile}},
      {"one camera of two", two_cameras,
       {{kAviSave, kImageEdit, kFileOpen, kExit, kCamera1, kSlideThumb}, kTransport, kAlwaysWithAFile}},
      {"AVI save open", WithPanels(single, true, false),
       {{kAviSave, kCamera1, kCamera2, kCamera4, kSlideThumb}, kAlwaysWithAFile}},
      {"image edit open", WithPanels(single, false, true),
       {{kImageEdit, kCamera1, kCamera2, kCamera4}, kAlwaysWithAFile}},
      {"AVI save open, then four cameras", WithPanels(quad, true, false), {{kAviSave, kSlideThumb}, kAlwaysWithAFile}},
      {"image edit open, then four cameras", WithPanels(quad, false, true), {{kImageEdit}, kAlwaysWithAFile}},
      {"AVI save recording", WithPanels(Open(kModePlay, true, 0x1), true, false),
       {{kAviSave, kCamera2, kCamera3, kCamera4, kSlideThumb}, kAlwaysWithAFile}},
  };
  for (const auto& c : cases) EXPECT_EQ(Labels(EnabledButtons(c.state)), Labels(c.enabled)) << c.what;
}

TEST(EnabledButtons, FileOpenWaitsWhileThePictureMoves) {
  using namespace engine;
  const struct {
    int mode;
    bool file_open;
  } cases[] = {
      {kModeNone, true}, {kModePause, true}, {kModePlay, false}, {kModeReverse, false}, {kModeFastForward, false},
      {kModeRewind, false}, {kModeFirst, true}, {kModeLast, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EnabledButtons(Open(c.mode, false, 0xF))[kFileOpen], c.file_open) << "mode " << c.mode;
    EXPECT_FALSE(EnabledButtons(WithPanels(Open(c.mode, true, 1), true, false))[kFileOpen]) << "mode " << c.mode;
  }
}

TEST(EnabledButtons, ModeLampsAreNeverEnabled) {
  for (const PanelState& s : {PanelState{}, Open(engine::kModePlay, true, 1), Open(engine::kModePause, false, 0xF)})
    for (int id = kIconFirst; id <= kIconLast; ++id) EXPECT_FALSE(EnabledButtons(s)[id]) << id;
}

}  // namespace
}  // namespace view
