#include "file_io.h"

#include <cwchar>

namespace backup {

FileIO::~FileIO() { Close(); }

int FileIO::Open(const wchar_t* name, int share) {
  Close();
  if (!name) return 0;
  HANDLE file = CreateFileW(name, GENERIC_READ, share ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_READONLY, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart > UINT32_MAX) {  // positions are 32-bit
    CloseHandle(file);
    return 0;
  }
  file_ = file;
  wcsncpy(name_, name, MAX_PATH - 1);
  name_[MAX_PATH - 1] = L'\0';
  return 1;
}

uint32_t FileIO::Read(uint32_t count, void* buffer) {
  DWORD got = 0;
  if (!IsOpen() || !buffer || !ReadFile(file_, buffer, count, &got, nullptr)) return 0;
  position_ += got;
  return got;
}

int FileIO::Seek(int32_t distance, int origin) {
  LARGE_INTEGER size;
  if (!IsOpen() || !GetFileSizeEx(file_, &size)) return 0;
  const int64_t target = SeekTarget(position_, static_cast<uint32_t>(size.QuadPart), distance, origin);
  if (target < 0) return 0;  // the file pointer stays where the position says
  LARGE_INTEGER to;
  to.QuadPart = target;
  if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return 0;
  position_ = static_cast<uint32_t>(target);
  return 1;
}

void FileIO::Close() {
  if (IsOpen()) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  position_ = 0;
}

int ClassifyFile(const wchar_t* name, const std::atomic<bool>* stop) {
  FileIO file;
  return file.Open(name, 1) ? ClassifySource(file, stop) : 0;
}

bool ProbeRecording(const wchar_t* name, RecordingInfo& info, const std::atomic<bool>* stop) {
  FileIO file;
  return file.Open(name, 1) && ProbeSource(file, info, stop);
}

}  // namespace backup
