// The texts beside an export: the manifest that `sha256sum -c` checks, and
// the provenance text that says where the export came from. Both are read
// back when an export is verified.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "capture_time.h"
#include "ledger.h"
#include "recording.h"

namespace am4export {

// What was exported: the groups of the recording (numbered from 0 as the
// index counts them) and the source bytes they come from.
struct ExportedRange {
  uint32_t offset = 0, length = 0;  // the source bytes
  std::string sha256;               // of those bytes, lower-case hex
  uint32_t first_group = 0, groups = 0;
};

struct Provenance {
  std::string version;
  std::string source_name;  // base name
  uint64_t source_size = 0;
  backup::RecordingInfo recording;
  ExportedRange range;
  std::optional<backup::CaptureTime> asked_from, asked_to;  // none: the recording's start or end
  backup::CaptureTime first_time = {}, last_time = {};      // of the first and last picture exported
  uint32_t pictures = 0, damaged_segments = 0;
  FlagCounts flags;             // over the ledger's rows
  std::string key_fingerprint;  // SHA-256 of the signing key's public key (DER)
};

std::string ProvenanceText(const Provenance& p);

// The exported range from a provenance text; false when the text does not
// hold all of it.
bool ReadExportedRange(const std::string& text, ExportedRange& range);

// One line for each file: its hash, two spaces, its base name.
struct ManifestEntry {
  std::string sha256, name;
};
std::string ManifestText(const std::vector<ManifestEntry>& entries);
// False when a line is not such a line or names anything but a plain file
// name (no folder, nothing hidden behind dots).
bool ReadManifest(const std::string& text, std::vector<ManifestEntry>& entries);

}  // namespace am4export
