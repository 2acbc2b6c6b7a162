// An export: the movie, its ledger and provenance, the manifest of the
// three, the manifest's signature and the public key, all staged and then
// given their names together.
#include <windows.h>

#include <cstdio>
#include <future>

#include "commands.h"
#include "export_files.h"
#include "file_hashing.h"
#include "file_io.h"
#include "provenance.h"
#include "signing.h"

namespace am4export {
namespace {

int Refuse(const std::string& why) {
  std::fprintf(stderr, "am4export: %s\n", why.c_str());
  return 1;
}

}  // namespace

int ExportCommand(const ExportRequest& request) {
  const std::string source_name = win32::ToUtf8(BaseName(request.source));
  StagedExport files(request.out);
  for (int f = 0; f < static_cast<int>(std::size(kExportSuffixes)); ++f)
    if (SamePath(request.source, files.Final(f))) return Refuse("the export would overwrite its source");
  if (!request.overwrite && !files.Existing().empty())
    return Refuse(win32::ToUtf8(files.Existing()) + " exists; give --overwrite to replace that export");

  backup::RecordingInfo info;
  backup::FileIO file;
  if (!OpenRecording(request.source, info, file))
    return Refuse(source_name + " is not a backup file with a recording");
  const RecordingIndex index = IndexRecording(file, info);
  if (index.group_starts.empty()) return Refuse(source_name + " holds no picture that can be exported");

  GroupRange groups;
  const int64_t from = request.from ? backup::CalendarSeconds(*request.from) : INT64_MIN;
  const int64_t to = request.to ? backup::CalendarSeconds(*request.to) : INT64_MAX;
  if (!SelectGroups(index, from, to, groups)) {
    return Refuse("no picture of the recording lies in the range asked for; it runs from " +
                  backup::FormatCaptureTime(index.pictures.front().time) + " to " +
                  backup::FormatCaptureTime(index.pictures.back().time));
  }
  SigningKey key;
  if (!key.Open()) return Refuse("the signing key of this user can be neither read nor made");

  // The source's bytes are hashed on a thread of their own while the export is written and hashed.
  const ExportPlan plan = PlanExport(index, groups);
  std::future<std::string> range_hashing = std::async(std::launch::async, [&] {
    return HashFile(request.source, plan.source_offset, uint64_t{plan.source_end} - plan.source_offset);
  });
  HashedFileWriter movie(files.Staged(kMovie));
  Ledger ledger;
  const bool written = WriteMovieAndLedger(file, index, plan, movie, ledger);
  const std::string movie_hash = movie.Close();
  const std::string range_hash = range_hashing.get();
  const std::string failed = "could not write the export " + win32::ToUtf8(request.out);
  if (!written || movie_hash.empty() || range_hash.empty()) return Refuse(failed);

  Provenance p;
  p.version = AM4EXPORT_VERSION;
  p.source_name = source_name;
  p.source_size = file.Seek(0, backup::kFromEnd) ? file.Position() : 0;
  p.recording = info;
  p.range = {plan.source_offset, plan.source_end - plan.source_offset, range_hash, groups.first, groups.count};
  p.asked_from = request.from;
  p.asked_to = request.to;
  p.first_time = index.pictures[plan.first_picture].time;
  p.last_time = index.pictures[plan.end_picture - 1].time;
  p.pictures = plan.end_picture - plan.first_picture;
  p.damaged_segments = plan.damaged_segments;
  p.flags = ledger.flags;
  const std::vector<uint8_t> public_key = PublicKeyDer(key.Point());
  p.key_fingerprint = Sha256::Of(std::string(public_key.begin(), public_key.end()));
  const std::string provenance = ProvenanceText(p);

  const std::string movie_name = win32::ToUtf8(BaseName(request.out));
  const std::string manifest = ManifestText({{movie_hash, movie_name},
                                             {Sha256::Of(provenance), movie_name + ".txt"},
                                             {Sha256::Of(ledger.text), movie_name + ".frames.csv"}});
  Digest manifest_digest;
  Sha256 manifest_hash;
  SignatureBytes signature;
  if (!manifest_hash.Add(manifest.data(), manifest.size()) || !manifest_hash.Finish(manifest_digest) ||
      !key.Sign(manifest_digest, signature) || !VerifySignature(key.Point(), manifest_digest, signature))
    return Refuse("could not sign the export " + win32::ToUtf8(request.out));
  const std::vector<uint8_t> signature_der = SignatureDer(signature);
  if (!WriteCheckedFile(files.Staged(kProvenance), provenance) ||
      !WriteCheckedFile(files.Staged(kLedger), ledger.text) ||
      !WriteCheckedFile(files.Staged(kManifest), manifest) ||
      !WriteCheckedFile(files.Staged(kSignature), std::string(signature_der.begin(), signature_der.end())) ||
      !WriteCheckedFile(files.Staged(kPublicKey), PublicKeyPem(key.Point())) || !files.Commit(request.overwrite))
    return Refuse(failed + " and the files beside it");

  std::printf("%s: %u pictures in %u groups, %s to %s, %u damaged segments skipped, signed by key %s\n",
              movie_name.c_str(), p.pictures, groups.count, backup::FormatCaptureTime(p.first_time).c_str(),
              backup::FormatCaptureTime(p.last_time).c_str(), p.damaged_segments, p.key_fingerprint.c_str());
  return 0;
}

}  // namespace am4export
