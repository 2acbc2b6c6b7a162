#include "mode_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace engine {
namespace {

using C = WorkerCommand;

constexpr C kEveryCommand[] = {C::kPlay, C::kFastForward, C::kReverse, C::kRewind,
                               C::kShowFirst, C::kShowLast, C::kIdle, C::kStep};

TEST(WorkerCommand, SaysHowItRunsWhichWayAndWhatIsDecoded) {
  const struct {
    C command;
    bool continuous, one_shot, forward;
    DecodeScope scope;
  } cases[] = {
      {C::kPlay, true, false, true, DecodeScope::kEveryFrame},
      {C::kFastForward, true, false, true, DecodeScope::kKeyFramesOnly},
      {C::kReverse, true, false, false, DecodeScope::kEveryFrame},
      {C::kRewind, true, false, false, DecodeScope::kKeyFramesOnly},
      {C::kShowFirst, false, true, true, DecodeScope::kEveryFrame},
      {C::kShowLast, false, true, false, DecodeScope::kEveryFrame},
      {C::kIdle, false, false, false, DecodeScope::kEveryFrame},
      {C::kStep, false, true, false, DecodeScope::kEveryFrame},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.command));
    EXPECT_EQ(IsContinuous(c.command), c.continuous);
    EXPECT_EQ(IsOneShot(c.command), c.one_shot);
    EXPECT_EQ(IsForward(c.command), c.forward);
    EXPECT_EQ(IsFast(c.command), c.scope == DecodeScope::kKeyFramesOnly);
    EXPECT_EQ(DecodeScopeOf(c.command), c.scope);
  }
}

TEST(ModeTable, EveryModeHasItsCommandReaderAndPlanAndShowsOnlyItsOwnPictures) {
  const struct {
    int mode;
    C command;
    ReaderKind reader;
    GroupPlan plan;
    std::vector<C> shown;  // the commands whose pictures the mode shows
  } rows[] = {
      {-1, C::kIdle, {}, {}, {}},
      {kModeNone, C::kIdle, {}, {}, {}},
      {kModePause, C::kIdle, {}, {}, {C::kStep}},
      {kModePlay, C::kPlay, ReaderKind::kForward, GroupPlan::kAll, {C::kPlay}},
      {kModeReverse, C::kReverse, ReaderKind::kReverse, GroupPlan::kLastFirst, {C::kReverse}},
      {kModeFastForward, C::kFastForward, ReaderKind::kForward, GroupPlan::kAll, {C::kFastForward}},
      {kModeRewind, C::kRewind, ReaderKind::kReverse, GroupPlan::kLastFirst, {C::kRewind}},
      {kModeFirst, C::kShowFirst, ReaderKind::kFirst, GroupPlan::kFirstOnly, {C::kShowFirst}},
      {kModeLast, C::kShowLast, ReaderKind::kLast, GroupPlan::kLastOnly, {C::kShowLast}},
      {kModeSeekForward, C::kShowFirst, ReaderKind::kForward, GroupPlan::kFirstOnly, {C::kShowFirst}},
      {kModeSeekBackward, C::kShowLast, ReaderKind::kReverse, GroupPlan::kLastOnly, {C::kShowLast}},
      {kModeSeekBackward + 1, C::kShowLast, ReaderKind::kReverse, GroupPlan::kLastOnly, {C::kShowLast}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.mode);
    const ModeRow row = RowOf(r.mode);
    EXPECT_EQ(row.command, r.command);
    if (r.command != C::kIdle) {
      EXPECT_EQ(row.reader, r.reader);
      EXPECT_EQ(row.plan, r.plan);
    }
    for (C issued : kEveryCommand) {
      const bool own = std::find(r.shown.begin(), r.shown.end(), issued) != r.shown.end();
      EXPECT_EQ(ShownIn(r.mode, issued), own) << "command " << static_cast<int>(issued);
    }
  }
}

}  // namespace
}  // namespace engine
