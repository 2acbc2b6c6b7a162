// The player's play modes, as the panel's buttons choose them.
#pragma once
#include <cstdint>

namespace engine {

enum PlayMode : int32_t {
  kModeNone = 0, kModePause, kModePlay, kModeReverse, kModeFastForward, kModeRewind,
  kModeFirst, kModeLast, kModeSeekForward, kModeSeekBackward
};

}  // namespace engine
