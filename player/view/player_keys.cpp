#include "player_keys.h"

namespace view {
namespace {
constexpr unsigned kEscape = 0x1B, kSpace = 0x20, kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kUp = 0x26, kRight = 0x27,
                   kDown = 0x28;
}

KeyAction ActionOfKey(unsigned key, bool playing, bool fast) {
  switch (key) {
    case kSpace: return playing || fast ? KeyAction::kPause : KeyAction::kPlay;
    case kRight: return KeyAction::kStepForward;
    case kLeft: return KeyAction::kStepBack;
    case 'J': return KeyAction::kReversePlay;
    case 'K': return KeyAction::kPause;
    case 'L': return playing ? KeyAction::kFastForward : KeyAction::kPlay;
    case kHome: return KeyAction::kFirst;
    case kEnd: return KeyAction::kLast;
    case kUp: return KeyAction::kDelayDown;
    case kDown: return KeyAction::kDelayUp;
    case 'N': return KeyAction::kNextMotion;
    case 'P': return KeyAction::kPreviousMotion;
    case kEscape: return KeyAction::kClearRegion;
    default: return KeyAction::kNone;
  }
}

}  // namespace view
