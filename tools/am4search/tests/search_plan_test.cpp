// The groups and segments a search decodes, on the committed fixtures: one
// group a segment (25 pictures/s from 09:26:55, groups of 5), and three.
#include "search_plan.h"

#include <gtest/gtest.h>

#include "recording_fixture.h"

namespace am4search {
namespace {

using am4export::testfixture::Fixture;
using am4export::testfixture::Recording;

TEST(SearchPlan, TheGroupsInRangeAreThoseWithAPictureCapturedInIt) {
  const Recording recording(Fixture("cams4_25fps.am4"));
  const auto& index = recording.index;
  ASSERT_EQ(index.group_starts.size(), 50u);
  const int64_t start = backup::CalendarSeconds({2026, 3, 14, 9, 26, 55}) * 1000;
  struct Case {
    int64_t from, to;  // ms after the start
    uint32_t first, last;  // groups; first > last: none
    int64_t pictures;
  } cases[] = {
      {2000, 3000, 10, 14, 25}, {2039, 2041, 10, 10, 1}, {-5000, 1, 0, 0, 1}, {9960, 99999, 49, 49, 1},
      {10000, 20000, 1, 0, 0},
  };
  for (const Case& c : cases) {
    int64_t pictures = -1;
    const GroupSet groups = GroupsInRange(index, start + c.from, start + c.to, pictures);
    for (uint32_t g = 0; g < groups.size(); ++g)
      EXPECT_EQ(groups[g], g >= c.first && g <= c.last) << "group " << g << " of " << c.from << "-" << c.to;
    EXPECT_EQ(pictures, c.pictures) << c.from << "-" << c.to;
  }
}

TEST(SearchPlan, SegmentsOfGroupsAreEachSegmentOnceInFileOrder) {
  const Recording recording(Fixture("multi_group.am4"));
  const auto& index = recording.index;
  ASSERT_EQ(index.segments.size(), 4u);
  ASSERT_EQ(index.group_starts.size(), 10u);
  GroupSet groups(10, false);
  groups[7] = groups[0] = groups[2] = groups[4] = true;  // segments 2, 0, 0 and 1
  EXPECT_EQ(SegmentsOf(index, groups),
            (std::vector<uint32_t>{index.segments[0].offset, index.segments[1].offset, index.segments[2].offset}));
  EXPECT_EQ(SegmentsOf(index, GroupSet(10, false)), std::vector<uint32_t>{});
}

TEST(SearchPlan, APictureBelongsToTheGroupOfTheKeyFrameBeforeIt) {
  const Recording recording(Fixture("cams4_25fps.am4"));
  for (const auto& [picture, group] : {std::pair{0, 0u}, {4, 0u}, {5, 1u}, {52, 10u}, {249, 49u}})
    EXPECT_EQ(GroupOf(recording.index, picture), group) << picture;
}

TEST(Survey, MarksTheGroupsAroundMotionAndCoastsAfterIt) {
  const Recording recording(Fixture("cams4_25fps.am4"));  // a group a segment
  const auto& index = recording.index;
  GroupSet in_range(50, true);
  in_range[49] = false;
  Survey survey(index, in_range);
  const auto offset = [&](uint32_t group) { return index.segments[group].offset; };
  const auto look_and_see = [&](uint32_t group, bool moved) {
    const bool looked = survey.Look(offset(group));
    if (looked) survey.Saw(index.group_starts[group], moved);
    return looked;
  };
  EXPECT_TRUE(look_and_see(0, false));
  EXPECT_TRUE(look_and_see(1, false));
  EXPECT_TRUE(look_and_see(2, true));  // marks 1 and 2, and the 4 after unseen
  for (uint32_t g = 3; g < 3 + Survey::kCoastSegments; ++g) EXPECT_FALSE(look_and_see(g, false)) << g;
  EXPECT_TRUE(look_and_see(7, false));
  EXPECT_TRUE(look_and_see(48, true));
  EXPECT_FALSE(look_and_see(49, true)) << "out of range";
  EXPECT_FALSE(survey.Look(12345)) << "not a segment of the index";
  GroupSet expected(50, false);
  for (const uint32_t g : {1, 2, 3, 4, 5, 6, 47, 48}) expected[g] = true;
  EXPECT_EQ(survey.Marked(), expected);
}

}  // namespace
}  // namespace am4search
