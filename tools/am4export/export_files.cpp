#include "export_files.h"

#include <windows.h>

#include <iterator>

#include "win32/owners.h"

namespace am4export {
namespace {

// Where a file is written before it takes its name: in the same folder, so
// that taking the name is a rename.
std::wstring TemporaryName(const std::wstring& path) {
  return path + L"." + std::to_wstring(GetCurrentProcessId()) + L".partial";
}

}  // namespace

const wchar_t* const kExportSuffixes[6] = {L"", L".txt", L".frames.csv", L".sha256", L".sha256.sig", L".pub.pem"};

std::wstring ExportFile(const std::wstring& movie_path, int file) { return movie_path + kExportSuffixes[file]; }

std::wstring BaseName(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/:");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  wchar_t full_a[MAX_PATH], full_b[MAX_PATH];
  return GetFullPathNameW(a.c_str(), MAX_PATH, full_a, nullptr) &&
         GetFullPathNameW(b.c_str(), MAX_PATH, full_b, nullptr) && lstrcmpiW(full_a, full_b) == 0;
}

bool OpenRecording(const std::wstring& path, backup::RecordingInfo& info, backup::FileIO& file) {
  return backup::ClassifyFile(path.c_str()) == 3 && backup::ProbeRecording(path.c_str(), info) &&
         file.Open(path.c_str(), 1);
}

bool ReadBoundedFile(const std::wstring& path, uint64_t limit, std::string& text) {
  const win32::UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > limit)
    return false;
  text.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  return text.empty() ||
         (ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr) && got == text.size());
}

bool WriteCheckedFile(const std::wstring& path, const std::string& text) {
  {
    const win32::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD put = 0;
    if (!file || !WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr) ||
        put != text.size())
      return false;
  }
  std::string back;
  return ReadBoundedFile(path, text.size(), back) && back == text;
}

bool WriteNewFile(const std::wstring& path, const std::string& data) {
  const std::wstring temporary = TemporaryName(path);
  if (!WriteCheckedFile(temporary, data) || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

StagedExport::StagedExport(const std::wstring& movie_path) {
  for (int f = 0; f < static_cast<int>(std::size(kExportSuffixes)); ++f) {
    finals_.push_back(ExportFile(movie_path, f));
    staged_.push_back(TemporaryName(finals_.back()));
  }
}

StagedExport::~StagedExport() {
  if (committed_) return;
  for (const std::wstring& path : staged_) DeleteFileW(path.c_str());
}

std::wstring StagedExport::Existing() const {
  for (const std::wstring& path : finals_)
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
  return {};
}

bool StagedExport::Commit(bool overwrite) {
  // Files that are replaced step aside first, so that they can be put back.
  std::vector<std::wstring> aside(finals_.size());
  size_t placed = 0;
  bool ok = true;
  for (size_t i = 0; ok && i < finals_.size(); ++i) {
    if (overwrite && GetFileAttributesW(finals_[i].c_str()) != INVALID_FILE_ATTRIBUTES) {
      aside[i] = staged_[i] + L".old";
      ok = MoveFileExW(finals_[i].c_str(), aside[i].c_str(), 0);
      if (!ok) aside[i].clear();
    }
    ok = ok && MoveFileExW(staged_[i].c_str(), finals_[i].c_str(), MOVEFILE_WRITE_THROUGH);
    placed += ok;
  }
  if (ok) {
    for (const std::wstring& old : aside)
      if (!old.empty()) DeleteFileW(old.c_str());
    committed_ = true;
    return true;
  }
  for (size_t i = 0; i < placed; ++i) DeleteFileW(finals_[i].c_str());
  for (size_t i = 0; i < aside.size(); ++i)
    if (!aside[i].empty()) MoveFileExW(aside[i].c_str(), finals_[i].c_str(), 0);
  return false;
}

}  // namespace am4export
