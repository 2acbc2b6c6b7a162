#include "provenance.h"

#include <cstdlib>

namespace am4export {
namespace {

using engine::FormatCaptureTime;

std::string TimeOrElse(const std::optional<engine::CaptureTime>& t, const char* otherwise) {
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
  number("source_range_offset", p.range_offset);
  number("source_range_bytes", p.range_length);
  line("source_range_sha256", p.range_sha256);
  line("asked_from", TimeOrElse(p.asked_from, "start of recording"));
  line("asked_to", TimeOrElse(p.asked_to, "end of recording"));
  line("first_picture_time", FormatCaptureTime(p.first_time));
  line("last_picture_time", FormatCaptureTime(p.last_time));
  number("pictures", p.pictures);
  number("groups", p.groups);
  number("damaged_segments_skipped", p.damaged_segments);
  return out;
}

bool ReadSourceRange(const std::string& text, uint32_t& offset, uint32_t& length, std::string& sha256) {
  return ReadNumber(text, "source_range_offset", offset) && ReadNumber(text, "source_range_bytes", length) &&
         Value(text, "source_range_sha256", sha256) && IsHash(sha256);
}

std::string ManifestLine(const std::string& sha256, const std::string& name) { return sha256 + "  " + name + "\n"; }

bool ReadManifest(const std::string& text, std::string& sha256, std::string& name) {
  if (text.size() < 67 || (text.compare(64, 2, "  ") != 0 && text.compare(64, 2, " *") != 0)) return false;
  sha256 = text.substr(0, 64);
  const size_t end = text.find('\n', 66);
  name = text.substr(66, end == std::string::npos ? std::string::npos : end - 66);
  return IsHash(sha256) && !name.empty();
}

}  // namespace am4export
