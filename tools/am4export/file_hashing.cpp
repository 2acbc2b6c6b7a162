#include "file_hashing.h"

#include <algorithm>
#include <cstring>

#include "sha256.h"

namespace am4export {
namespace {

constexpr DWORD kBlockBytes = 1 << 20;
constexpr DWORD kCatchUpMs = 1;  // the hashing thread's nap when it has caught up with the writer

win32::UniqueHandle OpenShared(const std::wstring& path) {
  return win32::UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// Adds `length` bytes read from the file's position to the hash (up to the
// end when length is UINT64_MAX); false when fewer are there.
bool AddFromFile(HANDLE file, uint64_t length, uint8_t* block, Sha256& hash) {
  for (uint64_t left = length; left > 0;) {
    const DWORD want = left < kBlockBytes ? static_cast<DWORD>(left) : kBlockBytes;
    DWORD got = 0;
    if (!ReadFile(file, block, want, &got, nullptr)) return false;
    if (got == 0) return length == UINT64_MAX;
    if (!hash.Add(block, got)) return false;
    if (length != UINT64_MAX) left -= got;
  }
  return true;
}

}  // namespace

std::string HashFile(const std::wstring& path, uint64_t offset, uint64_t length) {
  const win32::UniqueHandle file = OpenShared(path);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!file || !SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) return {};
  Sha256 hash;
  const auto block = std::make_unique<uint8_t[]>(kBlockBytes);
  return AddFromFile(file.Get(), length, block.get(), hash) ? hash.Finish() : std::string();
}

HashedFileWriter::HashedFileWriter(const std::wstring& path) : path_(path), block_(new uint8_t[kBlockBytes]) {
  file_.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
  ok_ = static_cast<bool>(file_);
  if (ok_) hasher_ = std::thread([this] { Hash(); });
}

HashedFileWriter::~HashedFileWriter() { Close(); }

bool HashedFileWriter::Write(const uint8_t* data, size_t length) {
  while (ok_ && length > 0) {
    const size_t n = std::min<size_t>(length, kBlockBytes - used_);
    std::memcpy(block_.get() + used_, data, n);
    used_ += n;
    data += n;
    length -= n;
    if (used_ == kBlockBytes) Flush();
  }
  return ok_;
}

void HashedFileWriter::Flush() {
  DWORD put = 0;
  ok_ = ok_ && WriteFile(file_.Get(), block_.get(), static_cast<DWORD>(used_), &put, nullptr) && put == used_;
  total_ += used_;
  used_ = 0;
  written_.store(total_);
}

std::string HashedFileWriter::Close() {
  if (file_) {
    Flush();
    file_.Reset();
  }
  closed_.store(true);
  if (hasher_.joinable()) hasher_.join();
  return ok_ ? digest_ : std::string();
}

void HashedFileWriter::Hash() {
  const win32::UniqueHandle file = OpenShared(path_);
  const auto block = std::make_unique<uint8_t[]>(kBlockBytes);
  Sha256 hash;
  bool ok = static_cast<bool>(file);
  uint64_t hashed = 0;
  for (;;) {
    const bool last = closed_.load();  // before the count: nothing written before closing is missed
    const uint64_t target = written_.load();
    ok = ok && AddFromFile(file.Get(), target - hashed, block.get(), hash);
    hashed = target;
    if (last || !ok) break;
    if (written_.load() == hashed) Sleep(kCatchUpMs);
  }
  digest_ = ok ? hash.Finish() : std::string();
}

}  // namespace am4export
