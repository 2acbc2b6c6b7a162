#include "commands.h"
#include "sha256.h"

namespace am4export {

bool WriteMovieAndLedger(backup::ByteSource& source, const RecordingIndex& index, const ExportPlan& plan,
                         ByteSink& movie, Ledger& ledger) {
  const SampleDigest sha256 = [](const mp4::Bytes& sets, const uint8_t* picture, size_t length) {
    Sha256 hash;
    hash.Add(sets.data(), sets.size());
    hash.Add(picture, length);
    return hash.Finish();
  };
  std::vector<std::string> digests;
  if (!WriteExport(source, index, plan, movie, sha256, digests)) return false;
  for (const std::string& d : digests)
    if (d.empty()) return false;
  ledger.text = LedgerText(index, plan, digests, ledger.flags);
  return true;
}

}  // namespace am4export
