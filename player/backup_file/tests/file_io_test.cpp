#include "file_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "seek_cases.h"

namespace backup {
namespace {

// A file of `size` bytes in the temporary folder, removed afterwards.
class TempFile {
 public:
  explicit TempFile(uint32_t size) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"fio", 0, path_);
    HANDLE h = CreateFileW(path_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<uint8_t> bytes(size);
    for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i);
    DWORD written;
    WriteFile(h, bytes.data(), size, &written, nullptr);
    CloseHandle(h);
  }
  ~TempFile() { DeleteFileW(path_); }
  const wchar_t* path() const { return path_; }

 private:
  wchar_t path_[MAX_PATH];
};

std::wstring Fixture(const char* name) {
  const std::string path = std::string(FIXTURE_DIR) + "/" + name;
  return std::wstring(path.begin(), path.end());
}

TEST(FileIO, SeekAndReadFollowTheFileRules) {
  for (const auto& c : testing::kSeekCases) {
    TempFile temp(c.size);
    FileIO f;
    ASSERT_TRUE(f.Open(temp.path(), 1));
    ASSERT_TRUE(f.Seek(static_cast<int32_t>(c.start), kFromStart));
    EXPECT_EQ(f.Seek(c.distance, c.origin), c.result) << c.distance << " from " << c.origin;
    EXPECT_EQ(f.Position(), c.position) << c.distance << " from " << c.origin;
    // A refused seek leaves the file where the position says.
    uint8_t byte = 0;
    if (c.position < c.size) {
      EXPECT_EQ(f.Read(1, &byte), 1u);
      EXPECT_EQ(byte, static_cast<uint8_t>(c.position));
    } else {
      EXPECT_EQ(f.Read(1, &byte), 0u);
    }
  }
}

TEST(FileIO, ShortReadAtTheEndAndNothingWhenClosed) {
  TempFile temp(1200);
  FileIO f;
  uint8_t buffer[512];
  EXPECT_EQ(f.Read(512, buffer), 0u) << "not open";
  ASSERT_TRUE(f.Open(temp.path(), 1));
  ASSERT_TRUE(f.Seek(1000, kFromStart));
  EXPECT_EQ(f.Read(512, buffer), 200u);
  EXPECT_EQ(f.Position(), 1200u);
  EXPECT_EQ(buffer[0], static_cast<uint8_t>(1000));
  f.Close();
  EXPECT_EQ(f.Position(), 0u);
  EXPECT_FALSE(f.Seek(0, kFromStart));
}

TEST(FileIO, OpenWithoutSharingKeepsOthersOut) {
  TempFile temp(100);
  FileIO owner, other;
  ASSERT_TRUE(owner.Open(temp.path(), 0));
  EXPECT_FALSE(other.Open(temp.path(), 1));
  owner.Close();
  ASSERT_TRUE(owner.Open(temp.path(), 1));
  EXPECT_TRUE(other.Open(temp.path(), 1));
  EXPECT_EQ(std::wstring(other.Name()), std::wstring(temp.path()));
  EXPECT_FALSE(other.Open(L"C:\\no such folder\\none.am4", 1));
  EXPECT_FALSE(other.IsOpen()) << "a failed open closes the file that was open";
}

TEST(FileIO, ClassifyAndProbeFixtures) {
  EXPECT_EQ(ClassifyFile(L"C:\\no such file.am4"), 0);
  EXPECT_EQ(ClassifyFile(Fixture("rvde_first.am4").c_str()), 2);
  EXPECT_EQ(ClassifyFile(Fixture("filler_truncated.am4").c_str()), 3);

  RecordingInfo info;
  EXPECT_FALSE(ProbeRecording(L"C:\\no such file.am4", info));
  ASSERT_TRUE(ProbeRecording(Fixture("filler_truncated.am4").c_str(), info));
  EXPECT_EQ(info.first_header_offset, 7u * 512);
  EXPECT_GT(info.last_header_offset, info.first_header_offset);
  EXPECT_EQ(info.start_time.year, 2026);
  EXPECT_EQ(info.video_format, 13u);
}

}  // namespace
}  // namespace backup
