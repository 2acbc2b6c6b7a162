// Read-only access to a backup file on the Win32 file API, with a 32-bit
// byte position: files of 4 GiB or more are refused at Open.
#pragma once
#include <windows.h>

#include "byte_source.h"
#include "recording.h"

namespace backup {

class FileIO : public ByteSource {
 public:
  FileIO() = default;
  FileIO(const FileIO&) = delete;
  FileIO& operator=(const FileIO&) = delete;
  ~FileIO() override;

  // Opens an existing file for reading, sharing reads when `share` is not 0.
  int Open(const wchar_t* name, int share);
  uint32_t Read(uint32_t count, void* buffer) override;
  int Seek(int32_t distance, int origin) override;
  uint32_t Position() const override { return position_; }
  void Close();

  const wchar_t* Name() const { return name_; }
  bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  wchar_t name_[MAX_PATH] = {};
  uint32_t position_ = 0;
};

// Kind of the file's first marked sector; 0 when it cannot be opened.
int ClassifyFile(const wchar_t* name, const std::atomic<bool>* stop = nullptr);
// The file's recording span; false when it cannot be opened or has none.
bool ProbeRecording(const wchar_t* name, RecordingInfo& info, const std::atomic<bool>* stop = nullptr);

}  // namespace backup
