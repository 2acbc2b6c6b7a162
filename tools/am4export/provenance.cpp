#include "provenance.h"

#include <cstdlib>

namespace am4export {
namespace {

using backup::FormatCaptureTime;

std::string TimeOrElse(const std::optional<backup::CaptureTime>& t, const char* otherwise) {
  return t ? FormatCaptureTime(*t) : otherwise;
}

// The value of "key=value" on a line of its own; false when there is none.
bool Value(const std::string& text, const std::string& key, std::string& value) {
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (text.compare(at, key.size() + 1, key + "=") == 0) {
      value = text.substr(at + key.size() + 1, end - at - key.size() - 1);
      return true;
    }
    at = end + 1;
  }
  return false;
}

bool IsHash(const std::string& s) {
  if (s.size() != 64) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

bool ReadNumber(const std::string& text, const std::string& key, uint32_t& out) {
  std::string value;
  if (!Value(text, key, value) || value.empty() || value.size() > 10 ||
      value.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const unsigned long long n = std::strtoull(value.c_str(), nullptr, 10);
  if (n > UINT32_MAX) return false;
  out = static_cast<uint32_t>(n);
  return true;
}

}  // namespace

std::string ProvenanceText(const Provenance& p) {
  std::string out = "# Evidence export of a backup file's recording\n";
  const auto line = [&](const char* key, const std::string& value) { out += key + ("=" + value) + "\n"; };
  const auto number = [&](const char* key, uint64_t n) { line(key, std::to_string(n)); };
  line("program", "am4export " + p.version);
  line("source_file", p.source_name);
  number("source_size", p.source_size);
  number("first_header_offset", p.recording.first_header_offset);
  line("first_header_time", FormatCaptureTime(p.recording.start_time));
  number("last_header_offset", p.recording.last_header_offset);
  line("last_header_time", FormatCaptureTime(p.recording.end_time));
  number("source_range_offset", p.range.offset);
  number("source_range_bytes", p.range.length);
  line("source_range_sha256", p.range.sha256);
  number("first_group", p.range.first_group);
  number("groups", p.range.groups);
  line("asked_from", TimeOrElse(p.asked_from, "start of recording"));
  line("asked_to", TimeOrElse(p.asked_to, "end of recording"));
  line("first_picture_time", FormatCaptureTime(p.first_time));
  line("last_picture_time", FormatCaptureTime(p.last_time));
  number("pictures", p.pictures);
  number("damaged_segments_skipped", p.damaged_segments);
  number("pictures_flagged_gap", p.flags.gap);
  number("pictures_flagged_repeat", p.flags.repeat);
  number("pictures_flagged_back", p.flags.back);
  number("pictures_flagged_after_damage", p.flags.after_damage);
  line("signing_key_sha256", p.key_fingerprint);
  return out;
}

bool ReadExportedRange(const std::string& text, ExportedRange& range) {
  return ReadNumber(text, "source_range_offset", range.offset) && ReadNumber(text, "source_range_bytes", range.length) &&
         Value(text, "source_range_sha256", range.sha256) && IsHash(range.sha256) &&
         ReadNumber(text, "first_group", range.first_group) && ReadNumber(text, "groups", range.groups);
}

std::string ManifestText(const std::vector<ManifestEntry>& entries) {
  std::string out;
  for (const ManifestEntry& e : entries) out += e.sha256 + "  " + e.name + "\n";
  return out;
}

bool ReadManifest(const std::string& text, std::vector<ManifestEntry>& entries) {
  entries.clear();
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (line.size() < 67 || (line.compare(64, 2, "  ") != 0 && line.compare(64, 2, " *") != 0)) return false;
    ManifestEntry e{line.substr(0, 64), line.substr(66)};
    if (!IsHash(e.sha256) || e.name.find_first_of("/\\:\r") != std::string::npos || e.name[0] == '.') return false;
    entries.push_back(std::move(e));
  }
  return !entries.empty();
}

}  // namespace am4export
