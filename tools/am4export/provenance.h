// The texts beside an export: the manifest that `sha256sum -c` checks, and
// the provenance text that says where the export came from. Both are read
// back when an export is verified.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "capture_time.h"
#include "recording.h"

namespace am4export {

struct Provenance {
  std::string version;
  std::string source_name;  // base name
  uint64_t source_size = 0;
  backup::RecordingInfo recording;
  uint32_t range_offset = 0, range_length = 0;              // the source bytes exported
  std::string range_sha256;                                 // lower-case hex
  std::optional<engine::CaptureTime> asked_from, asked_to;  // none: the recording's start or end
  engine::CaptureTime first_time = {}, last_time = {};      // of the first and last picture exported
  uint32_t pictures = 0, groups = 0, damaged_segments = 0;
};

std::string ProvenanceText(const Provenance& p);

// The exported source range and its hash from a provenance text; false when
// the text does not hold them.
bool ReadSourceRange(const std::string& text, uint32_t& offset, uint32_t& length, std::string& sha256);

// One line: the hash, two spaces, the file's base name.
std::string ManifestLine(const std::string& sha256, const std::string& name);
// False when the text is not such a line.
bool ReadManifest(const std::string& text, std::string& sha256, std::string& name);

}  // namespace am4export
