#include "provenance.h"

#include <gtest/gtest.h>

namespace am4export {
namespace {

const std::string kHash = "738a9dc8c34337fe6bb1cc303d27afa86873ccb843c96aa8d8697eefeb923574";

TEST(Provenance, TheExportedRangeIsReadBackFromTheText) {
  Provenance p;
  p.version = "1.0";
  p.source_name = "cams4_25fps.am4";
  p.range = {3584, 4294963200u, kHash, 7, 20};
  p.asked_from = backup::CaptureTime{2026, 3, 14, 9, 26, 57};
  p.flags = {1, 2, 3, 4};
  const std::string text = ProvenanceText(p);
  EXPECT_NE(text.find("\nasked_from=2026-03-14 09:26:57\n"), std::string::npos);
  EXPECT_NE(text.find("\nasked_to=end of recording\n"), std::string::npos);
  EXPECT_NE(text.find("\npictures_flagged_gap=1\npictures_flagged_repeat=2\npictures_flagged_back=3\n"
                      "pictures_flagged_after_damage=4\n"),
            std::string::npos);
  ExportedRange range;
  ASSERT_TRUE(ReadExportedRange(text, range));
  EXPECT_EQ(range.offset, 3584u);
  EXPECT_EQ(range.length, 4294963200u);
  EXPECT_EQ(range.sha256, kHash);
  EXPECT_EQ(range.first_group, 7u);
  EXPECT_EQ(range.groups, 20u);
}

TEST(Provenance, ATextWithoutAWholeRangeIsNotRead) {
  const std::string groups = "first_group=0\ngroups=3\n";
  const std::string good = "source_range_offset=0\nsource_range_bytes=512\nsource_range_sha256=" + kHash + "\n";
  const std::string cases[] = {
      good,                                                                                           // no groups
      "source_range_offset=0\nsource_range_sha256=" + kHash + "\n" + groups,                          // no length
      "source_range_offset=0\nsource_range_bytes=4294967296\nsource_range_sha256=" + kHash + "\n" + groups,
      "source_range_offset=-1\nsource_range_bytes=512\nsource_range_sha256=" + kHash + "\n" + groups,
      "source_range_offset=0\nsource_range_bytes=512\nsource_range_sha256=" + kHash.substr(1) + "\n" + groups,
      "source_range_offset=0\nsource_range_bytes=512\nsource_range_sha256=" + std::string(64, 'G') + "\n" + groups,
  };
  ExportedRange range;
  EXPECT_TRUE(ReadExportedRange(good + groups, range));
  for (const std::string& text : cases) EXPECT_FALSE(ReadExportedRange(text, range)) << text;
}

TEST(Provenance, TheManifestHasALineForEachFileAsSha256sumWritesIt) {
  const std::string other(64, 'a');
  EXPECT_EQ(ManifestText({{kHash, "out.mp4"}, {other, "out.mp4.txt"}}),
            kHash + "  out.mp4\n" + other + "  out.mp4.txt\n");
  std::vector<ManifestEntry> entries;
  for (const std::string& text : {kHash + "  out.mp4\n", kHash + " *out.mp4"}) {
    ASSERT_TRUE(ReadManifest(text, entries)) << text;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].sha256, kHash);
    EXPECT_EQ(entries[0].name, "out.mp4");
  }
  ASSERT_TRUE(ReadManifest(kHash + "  out.mp4\n" + other + "  out.mp4.txt\n", entries));
  EXPECT_EQ(entries.size(), 2u);
  for (const std::string& bad :
       {kHash + " out.mp4", kHash + "  ", kHash.substr(2) + "  out.mp4", std::string(), kHash + "  out.mp4\nmore\n",
        kHash + "  ../out.mp4", kHash + "  C:out.mp4", kHash + "  dir\\out.mp4", kHash + "  .."})
    EXPECT_FALSE(ReadManifest(bad, entries)) << bad;
}

}  // namespace
}  // namespace am4export
