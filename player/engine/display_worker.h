// The display worker: hands the pictures of the slots to the view, paced by
// the 1 ms tick in play and reverse play, feeds the sound while playing, and
// recycles the slots for the decompress worker.
#pragma once
#include "engine_state.h"
#include "pacing.h"

namespace engine {

class DisplayWorker {
 public:
  explicit DisplayWorker(EngineState& state) : state_(state) {}

  void Loop();

 private:
  // One picture for display command `issued`; its waits end when the
  // command or the mode changes.
  void Step(WorkerCommand issued);
  // Hands the picture to the view unless the mode changed since it was taken.
  bool Present(const PictureEntry& picture, int mode, WorkerCommand issued);

  EngineState& state_;
  PacingState pacing_;
  bool skip_next_fast_ = false;  // fast modes at speed index 0 show every other picture
  int audio_controls_ = -1;      // last state told to the view
};

}  // namespace engine
