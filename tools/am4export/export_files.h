// The files of an export and the file work around them: all are written
// under temporary names in the target folder and given their names only
// when every one is written and checked, so that a failed or interrupted
// export leaves what was there before as it was.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"
#include "recording.h"
#include "win32/text_codec.h"

namespace am4export {

// What an export's file names end in, after OUT.mp4's own name.
extern const wchar_t* const kExportSuffixes[6];
constexpr int kMovie = 0, kProvenance = 1, kLedger = 2, kManifest = 3, kSignature = 4, kPublicKey = 5;

// The path of one of the export's files.
std::wstring ExportFile(const std::wstring& movie_path, int file);

std::wstring BaseName(const std::wstring& path);
bool SamePath(const std::wstring& a, const std::wstring& b);

// Opens a backup file that holds a recording; false for anything else.
bool OpenRecording(const std::wstring& path, backup::RecordingInfo& info, backup::FileIO& file);

// A whole file of at most `limit` bytes; false when it is larger or cannot be read.
bool ReadBoundedFile(const std::wstring& path, uint64_t limit, std::string& text);
// Writes the text and reads it back; false unless the file holds it.
bool WriteCheckedFile(const std::wstring& path, const std::string& text);
// Writes and checks the file under a temporary name, then gives it its name
// unless a file has that name already; false when it did not.
bool WriteNewFile(const std::wstring& path, const std::string& data);

class StagedExport {
 public:
  explicit StagedExport(const std::wstring& movie_path);
  StagedExport(const StagedExport&) = delete;
  StagedExport& operator=(const StagedExport&) = delete;
  ~StagedExport();  // deletes what was staged and not committed

  const std::wstring& Final(int file) const { return finals_[file]; }
  const std::wstring& Staged(int file) const { return staged_[file]; }
  // The first file of the export that exists already; empty when none does.
  std::wstring Existing() const;
  // Gives every staged file its name, replacing files of that name only
  // when `overwrite`. On failure every file is as it was before.
  bool Commit(bool overwrite);

 private:
  std::vector<std::wstring> finals_, staged_;
  bool committed_ = false;
};

}  // namespace am4export
