// The two things am4export does: export a recording, and verify an export.
#pragma once
#include <optional>
#include <string>

#include "capture_time.h"
#include "export_movie.h"
#include "ledger.h"

namespace am4export {

struct ExportRequest {
  std::wstring source, out;
  std::optional<backup::CaptureTime> from, to;
  bool overwrite = false;
};

// Exit status 0 done, 1 refused or failed.
int ExportCommand(const ExportRequest& request);
// Exit status 0 when every check passed, 1 otherwise.
int VerifyCommand(const std::wstring& movie, const wchar_t* source);

// The planned movie written to `movie`, and its ledger with each sample's
// SHA-256: what an export writes and what a verification rebuilds.
struct Ledger {
  std::string text;
  FlagCounts flags;
};
bool WriteMovieAndLedger(backup::ByteSource& source, const RecordingIndex& index, const ExportPlan& plan,
                         ByteSink& movie, Ledger& ledger);

}  // namespace am4export
