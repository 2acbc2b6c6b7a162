// The player window's buttons and controls by identifier. A button's
// identifier is also its command and its skin identifier.
#pragma once

namespace view {

enum ButtonId : int {
  kAviSave = 1, kImageEdit, kFileOpen, kExit, kFirstPosition, kRewind, kReversePlay, kPause, kPlay,
  kFastForward = 11, kLastPosition, kCamera1, kCamera2, kCamera3, kCamera4,
  kDivision1 = 29, kDivision4, kDelayUp = 33, kDelayDown, kSpeedUp, kSpeedDown, kSlideThumb,
  kIconFirst = 41, kIconRewind, kIconReverse, kIconPause, kIconPlay, kIconFastForward, kIconLast,
};

// Standard controls of the window.
enum ControlId : int {
  kAudioOn = 201, kAudioCh1 = 203, kAudioCh2 = 204, kDelayLabel = 205, kAudioCh4b = 206, kSpeedLabel = 207,
  kClock = 208, kAudioCh4 = 209, kStatic210 = 210, kStatic211, kStatic212, kStatic213,
};

// Skin rectangles the window draws on.
enum SkinId : int {
  kPanelId = 0, kTrack = 38, kSliderBar = 39, kSliderFill = 40, kVersionText = 59, kVideoArea = 60,
  kDelayValue = 61, kInfoArea = 63, kAudioBox = 519,
};

struct ButtonEntry {
  int id;
  const wchar_t* label;
  bool toggle;
  bool enabled;
};

// In table order; the chain is every entry before the mode icons.
inline constexpr ButtonEntry kButtons[] = {
    {kAviSave, L"AVI SAVE", true, false},
    {kImageEdit, L"IMAGE EDIT", true, false},
    {kFileOpen, L"FILE OPEN", false, true},
    {kExit, L"EXIT", false, true},
    {kFirstPosition, L"FIRST POSITION", false, false},
    {kRewind, L"REWIND", false, false},
    {kReversePlay, L"REVERSE PLAY", false, false},
    {kPause, L"PAUSE", false, false},
    {kPlay, L"PLAY", false, false},
    {kFastForward, L"FAST FORWARD", false, false},
    {kLastPosition, L"LAST POSITION", false, false},
    {kCamera1, L"CAMERA 01", true, false},
    {kCamera2, L"CAMERA 02", true, false},
    {kCamera3, L"CAMERA 03", true, false},
    {kCamera4, L"CAMERA 04", true, false},
    {kDivision1, L"DIVISION 01", false, false},
    {kDivision4, L"DIVISION 04", false, false},
    {kDelayUp, L"DELAY UP", false, false},
    {kDelayDown, L"DELAY DOWN", false, false},
    {kSpeedUp, L"SPEED UP", false, false},
    {kSpeedDown, L"SPEED DOWN", false, false},
    {kSlideThumb, L"SLIDE THUM", false, false},
    {kIconFirst, L"ICON FIRST POSITION", true, false},
    {kIconRewind, L"ICON REWIND", true, false},
    {kIconReverse, L"ICON REVERSE PLAY", true, false},
    {kIconPause, L"ICON PAUSE", true, false},
    {kIconPlay, L"ICON PLAY", true, false},
    {kIconFastForward, L"ICON FAST FORWARD", true, false},
    {kIconLast, L"ICON LAST POSITION", true, false},
};

constexpr int kRepeatMs = 500;
constexpr int kMaxButtonId = kIconLast;

// The mode icon of a play mode.
constexpr int ModeIcon(int mode) {
  switch (mode) {
    case 2: return kIconPlay;
    case 3: return kIconReverse;
    case 4: return kIconFastForward;
    case 5: return kIconRewind;
    case 6: return kIconFirst;
    case 7: return kIconLast;
    default: return kIconPause;
  }
}

}  // namespace view
