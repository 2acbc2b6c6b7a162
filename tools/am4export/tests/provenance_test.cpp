#include "provenance.h"

#include <gtest/gtest.h>

namespace am4export {
namespace {

const std::string kHash = "738a9dc8c34337fe6bb1cc303d27afa86873ccb843c96aa8d8697eefeb923574";

TEST(Provenance, TheSourceRangeAndItsHashAreReadBackFromTheText) {
  Provenance p;
  p.version = "1.0";
  p.source_name = "cams4_25fps.am4";
  p.range_offset = 3584;
  p.range_length = 4294963200u;
  p.range_sha256 = kHash;
  p.asked_from = engine::CaptureTime{2026, 3, 14, 9, 26, 57};
  const std::string text = ProvenanceText(p);
  EXPECT_NE(text.find("\nasked_from=2026-03-14 09:26:57\n"), std::string::npos);
  EXPECT_NE(text.find("\nasked_to=end of recording\n"), std::string::npos);
  uint32_t offset = 0, length = 0;
  std::string hash;
  ASSERT_TRUE(ReadSourceRange(text, offset, length, hash));
  EXPECT_EQ(offset, 3584u);
  EXPECT_EQ(length, 4294963200u);
  EXPECT_EQ(hash, kHash);
}

TEST(Provenance, ATextWithoutAWholeRangeIsNotRead) {
  const std::string good = "source_range_offset=0\nsource_range_bytes=512\nsource_range_sha256=" + kHash + "\n";
  const std::string cases[] = {
      "",
      "source_range_offset=0\nsource_range_sha256=" + kHash + "\n",                          // no length
      "source_range_offset=0\nsource_range_bytes=4294967296\nsource_range_sha256=" + kHash,  // past 32 bits
      "source_range_offset=-1\nsource_range_bytes=512\nsource_range_sha256=" + kHash,
      "source_range_offset=0\nsource_range_bytes=512\nsource_range_sha256=" + kHash.substr(1),
      "source_range_offset=0\nsource_range_bytes=512\nsource_range_sha256=" + std::string(64, 'G'),
  };
  uint32_t offset, length;
  std::string hash;
  EXPECT_TRUE(ReadSourceRange(good, offset, length, hash));
  for (const std::string& text : cases) EXPECT_FALSE(ReadSourceRange(text, offset, length, hash)) << text;
}

TEST(Provenance, TheManifestIsOneLineOfHashAndNameAsSha256sumWritesIt) {
  EXPECT_EQ(ManifestLine(kHash, "out.mp4"), kHash + "  out.mp4\n");
  std::string hash, name;
  for (const std::string& line : {kHash + "  out.mp4\n", kHash + " *out.mp4", kHash + "  out.mp4\nmore\n"}) {
    ASSERT_TRUE(ReadManifest(line, hash, name)) << line;
    EXPECT_EQ(hash, kHash);
    EXPECT_EQ(name, "out.mp4");
  }
  for (const std::string& bad : {kHash + " out.mp4", kHash + "  ", kHash.substr(2) + "  out.mp4", std::string()})
    EXPECT_FALSE(ReadManifest(bad, hash, name)) << bad;
}

}  // namespace
}  // namespace am4export
