// The decompress worker: decodes the video queue into the picture slots as
// its command word says.
#pragma once
#include "engine_state.h"

namespace engine {

class DecompressWorker {
 public:
  explicit DecompressWorker(EngineState& state) : state_(state) {}

  void Loop();

 private:
  // One picture: decode the group queued for it, then close its slot.
  void DecodeOneShot(WorkerCommand command);

  EngineState& state_;
};

}  // namespace engine
