// What each play mode asks of the workers: the command the decompress and
// display workers follow, and what the data-load worker reads.
#pragma once
#include "play_mode.h"
#include "segment_reader.h"
#include "worker_command.h"

namespace engine {

struct ModeRow {
  WorkerCommand command;
  ReaderKind reader;  // for none and pause: nothing is read
  GroupPlan plan;
};

// None and pause (and any mode below) idle; a mode past the last is
// positioning backward.
ModeRow RowOf(int mode);

// A picture decoded for display command `issued` belongs to `mode`: the
// step's to pause, any other to the running modes of that command.
bool ShownIn(int mode, WorkerCommand issued);

}  // namespace engine
