// Verification of an export: every file against the manifest, the
// manifest's signature, and, given the source, the export rebuilt from the
// source range it names and compared byte for byte with the files.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "commands.h"
#include "export_files.h"
#include "file_hashing.h"
#include "file_io.h"
#include "provenance.h"
#include "signing.h"
#include "win32/owners.h"

namespace am4export {
namespace {

constexpr uint64_t kMaxTextBytes = 1 << 16;      // manifest, provenance, key, signature
constexpr uint64_t kMaxLedgerBytes = 256 << 20;  // about two million pictures
constexpr DWORD kCompareBlock = 1 << 20;

// Compares what is written to it with a file's bytes, in order.
class FileComparer : public ByteSink {
 public:
  explicit FileComparer(const std::wstring& path) : block_(new uint8_t[kCompareBlock]) {
    file_.Reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    same_ = static_cast<bool>(file_);
  }
  bool Write(const uint8_t* data, size_t length) override {
    while (same_ && length > 0) {
      const DWORD want = static_cast<DWORD>(std::min<size_t>(length, kCompareBlock));
      DWORD got = 0;
      same_ = ReadFile(file_.Get(), block_.get(), want, &got, nullptr) && got == want &&
              std::memcmp(block_.get(), data, want) == 0;
      if (same_) compared_ += want, data += want, length -= want;
    }
    return same_;
  }
  // True when everything written matched and the file ends there.
  bool Matches() {
    DWORD got = 0;
    uint8_t more;
    return same_ && ReadFile(file_.Get(), &more, 1, &got, nullptr) && got == 0;
  }
  uint64_t compared() const { return compared_; }  // bytes that matched

 private:
  win32::UniqueHandle file_;
  std::unique_ptr<uint8_t[]> block_;
  bool same_;
  uint64_t compared_ = 0;
};

class Report {
 public:
  void Line(const std::string& what, const char* verdict, const std::string& why = "") {
    std::printf("%s: %s%s\n", what.c_str(), verdict, why.empty() ? "" : (" (" + why + ")").c_str());
    failed_ = failed_ || std::strcmp(verdict, "FAILED") == 0;
  }
  void Check(const std::string& what, bool ok, const std::string& why_not) {
    Line(what, ok ? "OK" : "FAILED", ok ? "" : why_not);
  }
  bool failed() const { return failed_; }

 private:
  bool failed_ = false;
};

// Every file the manifest must name, each against its hash.
void CheckManifest(const std::wstring& movie_path, const std::string& manifest, Report& report) {
  std::vector<ManifestEntry> entries;
  if (!ReadManifest(manifest, entries)) {
    report.Line(win32::ToUtf8(BaseName(ExportFile(movie_path, kManifest))), "FAILED", "missing or not a manifest");
    return;
  }
  for (int f : {kMovie, kProvenance, kLedger}) {
    const std::string name = win32::ToUtf8(BaseName(ExportFile(movie_path, f)));
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const ManifestEntry& e) { return e.name == name; });
    if (entry == entries.end()) {
      report.Line(name, "FAILED", "the manifest does not name it");
      continue;
    }
    const std::string actual = HashFile(ExportFile(movie_path, f), 0, UINT64_MAX);
    report.Check(name, actual == entry->sha256, actual.empty() ? "cannot be read" : "its hash differs");
    entries.erase(entry);
  }
  for (const ManifestEntry& e : entries) report.Line(e.name, "FAILED", "the manifest names a file of no export");
}

// The signature of the manifest with the key beside it, and that key as the provenance names it.
void CheckSignature(const std::wstring& movie_path, const std::string& manifest, const std::string& provenance,
                    Report& report) {
  std::string pem, der;
  PointBytes point;
  SignatureBytes signature;
  if (!ReadBoundedFile(ExportFile(movie_path, kPublicKey), kMaxTextBytes, pem) || !PublicKeyFromPem(pem, point)) {
    report.Line("signature", "FAILED", "no public key " + win32::ToUtf8(BaseName(ExportFile(movie_path, kPublicKey))));
    return;
  }
  if (!ReadBoundedFile(ExportFile(movie_path, kSignature), kMaxTextBytes, der) ||
      !SignatureFromDer(std::vector<uint8_t>(der.begin(), der.end()), signature)) {
    report.Line("signature", "FAILED", "no signature " + win32::ToUtf8(BaseName(ExportFile(movie_path, kSignature))));
    return;
  }
  Digest digest;
  Sha256 hash;
  const bool verified = hash.Add(manifest.data(), manifest.size()) && hash.Finish(digest) &&
                        VerifySignature(point, digest, signature);
  const std::vector<uint8_t> key = PublicKeyDer(point);
  const std::string fingerprint = Sha256::Of(std::string(key.begin(), key.end()));
  report.Check("signature by key " + fingerprint, verified, "it does not match the manifest");
  report.Check("provenance's signing key", provenance.find("\nsigning_key_sha256=" + fingerprint + "\n") !=
                                               std::string::npos,
               "it names another key");
}

// Rebuilds the export from the source range the provenance names.
void CheckAgainstSource(const std::wstring& movie_path, const std::string& provenance, const std::wstring& source,
                        Report& report) {
  const std::string source_name = win32::ToUtf8(BaseName(source));
  ExportedRange range;
  if (!ReadExportedRange(provenance, range)) {
    report.Line("source " + source_name, "FAILED", "the provenance names no source range");
    return;
  }
  const std::string what = "source bytes " + std::to_string(range.offset) + " to " +
                           std::to_string(uint64_t{range.offset} + range.length) + " of " + source_name;
  backup::RecordingInfo info;
  backup::FileIO file;
  if (!OpenRecording(source, info, file) || !file.Seek(0, backup::kFromEnd)) {
    report.Line(what, "FAILED", "not a backup file with a recording");
    return;
  }
  const uint64_t source_size = file.Position();
  if (range.length == 0 || range.groups == 0) {
    report.Line(what, "FAILED", "the range is empty");
    return;
  }
  if (uint64_t{range.offset} + range.length > source_size) {
    report.Line(what, "FAILED", "the range lies outside the source");
    return;
  }
  const RecordingIndex index = IndexRecording(file, info);
  const bool on_header = std::any_of(index.segments.begin(), index.segments.end(),
                                     [&](const IndexedSegment& s) { return s.offset == range.offset; });
  if (!on_header) {
    report.Line(what, "FAILED", "the range does not start on a segment header");
    return;
  }
  if (range.first_group >= index.group_starts.size() || range.groups > index.group_starts.size() - range.first_group) {
    report.Line(what, "FAILED", "the source has no such groups of pictures");
    return;
  }
  const ExportPlan plan = PlanExport(index, {range.first_group, range.groups});
  if (plan.source_offset != range.offset || plan.source_end - plan.source_offset != range.length) {
    report.Line(what, "FAILED", "the groups named do not come from that range");
    return;
  }
  const std::string actual = HashFile(source, range.offset, range.length);
  report.Check(what, actual == range.sha256, actual.empty() ? "cannot be read" : "their hash differs");

  FileComparer movie(ExportFile(movie_path, kMovie));
  Ledger ledger;
  const bool rebuilt = WriteMovieAndLedger(file, index, plan, movie, ledger);
  report.Check(win32::ToUtf8(BaseName(movie_path)) + " rebuilt from the source", rebuilt && movie.Matches(),
               "the rebuilt export differs from byte " + std::to_string(movie.compared()));
  std::string ledger_file;
  report.Check(win32::ToUtf8(BaseName(ExportFile(movie_path, kLedger))) + " rebuilt from the source",
               ReadBoundedFile(ExportFile(movie_path, kLedger), kMaxLedgerBytes, ledger_file) && ledger_file == ledger.text,
               "it differs");
}

}  // namespace

int VerifyCommand(const std::wstring& movie, const wchar_t* source) {
  Report report;
  std::string manifest, provenance;
  ReadBoundedFile(ExportFile(movie, kManifest), kMaxTextBytes, manifest);
  ReadBoundedFile(ExportFile(movie, kProvenance), kMaxTextBytes, provenance);
  CheckManifest(movie, manifest, report);
  CheckSignature(movie, manifest, provenance, report);
  if (source) {
    CheckAgainstSource(movie, provenance, source, report);
  } else {
    report.Line("source", "SKIPPED", "no source file given");
  }
  return report.failed() ? 1 : 0;
}

}  // namespace am4export
