// Files and their SHA-256: the hash of a byte range of a file, and the
// export's file, written in blocks and hashed by a thread that follows the
// writer, so that writing and hashing run side by side.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "export_movie.h"
#include "win32/owners.h"

namespace am4export {

// SHA-256 of `length` bytes from `offset` of a file, or of all that follows
// when length is UINT64_MAX; empty when the file cannot be read that far.
std::string HashFile(const std::wstring& path, uint64_t offset, uint64_t length);

class HashedFileWriter : public ByteSink {
 public:
  explicit HashedFileWriter(const std::wstring& path);
  HashedFileWriter(const HashedFileWriter&) = delete;
  HashedFileWriter& operator=(const HashedFileWriter&) = delete;
  ~HashedFileWriter();

  bool Write(const uint8_t* data, size_t length) override;
  // Writes what is left and closes the file. The digest of the file as it
  // was written; empty when anything failed.
  std::string Close();

 private:
  void Flush();
  void Hash();  // the hashing thread

  const std::wstring path_;
  win32::UniqueHandle file_;
  std::unique_ptr<uint8_t[]> block_;
  size_t used_ = 0;
  uint64_t total_ = 0;
  bool ok_ = true;

  // Written by the writer, polled by the hashing thread.
  std::atomic<uint64_t> written_{0};  // bytes on disk
  std::atomic<bool> closed_{false};   // no more will come
  std::string digest_;                // the hashing thread's result, read after it ended
  std::thread hasher_;
};

}  // namespace am4export
