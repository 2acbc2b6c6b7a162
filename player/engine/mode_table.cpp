#include "mode_table.h"

namespace engine {

ModeRow RowOf(int mode) {
  switch (mode) {
    case kModePlay: return {WorkerCommand::kPlay, ReaderKind::kForward, GroupPlan::kAll};
    case kModeReverse: return {WorkerCommand::kReverse, ReaderKind::kReverse, GroupPlan::kLastFirst};
    case kModeFastForward: return {WorkerCommand::kFastForward, ReaderKind::kForward, GroupPlan::kAll};
    case kModeRewind: return {WorkerCommand::kRewind, ReaderKind::kReverse, GroupPlan::kLastFirst};
    case kModeFirst: return {WorkerCommand::kShowFirst, ReaderKind::kFirst, GroupPlan::kFirstOnly};
    case kModeLast: return {WorkerCommand::kShowLast, ReaderKind::kLast, GroupPlan::kLastOnly};
    case kModeSeekForward: return {WorkerCommand::kShowFirst, ReaderKind::kForward, GroupPlan::kFirstOnly};
    default:
      if (mode <= kModePause) return {WorkerCommand::kIdle, ReaderKind::kForward, GroupPlan::kAll};
      return {WorkerCommand::kShowLast, ReaderKind::kReverse, GroupPlan::kLastOnly};  // kModeSeekBackward
  }
}

bool ShownIn(int mode, WorkerCommand issued) {
  if (issued == WorkerCommand::kStep) return mode == kModePause;
  return mode >= kModePlay && RowOf(mode).command == issued;
}

}  // namespace engine
