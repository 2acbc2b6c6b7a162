// am4export FILE -o OUT.mp4 [--from TIME] [--to TIME]: the recording of a
// backup file, or the groups of pictures that cover [from, to), as an MP4
// with its own H.264, its sound as PCM and the capture times as timed text;
// beside it OUT.mp4.sha256 (for sha256sum -c) and the provenance OUT.mp4.txt.
// am4export --verify OUT.mp4 [SOURCE]: checks the export's hash and, given
// the source file, the hash of the source bytes it came from.
// Exit status 0 done, 1 refused or failed, 2 usage.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <future>
#include <optional>
#include <string>

#include "export_movie.h"
#include "file_hashing.h"
#include "file_io.h"
#include "provenance.h"
#include "win32/owners.h"

namespace {

using namespace am4export;

const char kUsage[] =
    "usage: am4export FILE -o OUT.mp4 [--from \"YYYY-MM-DD hh:mm:ss\"] [--to \"YYYY-MM-DD hh:mm:ss\"]\n"
    "       am4export --verify OUT.mp4 [SOURCE]\n";

std::string Utf8(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring BaseName(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/:");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  wchar_t full_a[MAX_PATH], full_b[MAX_PATH];
  return GetFullPathNameW(a.c_str(), MAX_PATH, full_a, nullptr) &&
         GetFullPathNameW(b.c_str(), MAX_PATH, full_b, nullptr) && lstrcmpiW(full_a, full_b) == 0;
}

// The manifest and the provenance text: a few hundred bytes.
bool ReadSmallFile(const std::wstring& path, std::string& text) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  const win32::UniqueHandle file(h == INVALID_HANDLE_VALUE ? nullptr : h);
  char buffer[16384];
  DWORD got = 0;
  if (!file || !ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return false;
  text.assign(buffer, got);
  return true;
}

bool WriteWholeFile(const std::wstring& path, const std::string& text) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  const win32::UniqueHandle file(h == INVALID_HANDLE_VALUE ? nullptr : h);
  DWORD put = 0;
  return file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr) &&
         put == text.size();
}

int Refuse(const std::string& why) {
  std::fprintf(stderr, "am4export: %s\n", why.c_str());
  return 1;
}

struct ExportRequest {
  std::wstring source, out;
  std::optional<engine::CaptureTime> from, to;
};

int Export(const ExportRequest& request) {
  const std::string source_name = Utf8(BaseName(request.source));
  backup::RecordingInfo info;
  backup::FileIO file;
  if (backup::ClassifyFile(request.source.c_str()) != 3 || !backup::ProbeRecording(request.source.c_str(), info) ||
      !file.Open(request.source.c_str(), 1))
    return Refuse(source_name + " is not a backup file with a recording");
  if (SamePath(request.source, request.out)) return Refuse("the export would overwrite its source");
  const RecordingIndex index = IndexRecording(file, info);
  if (index.group_starts.empty()) return Refuse(source_name + " holds no picture that can be exported");

  GroupRange groups;
  const int64_t from = request.from ? engine::CalendarSeconds(*request.from) : INT64_MIN;
  const int64_t to = request.to ? engine::CalendarSeconds(*request.to) : INT64_MAX;
  if (!SelectGroups(index, from, to, groups)) {
    return Refuse("no picture of the recording lies in the range asked for; it runs from " +
                  engine::FormatCaptureTime(index.pictures.front().time) + " to " +
                  engine::FormatCaptureTime(index.pictures.back().time));
  }
  const ExportPlan plan = PlanExport(index, groups);

  const std::wstring manifest_path = request.out + L".sha256", provenance_path = request.out + L".txt";
  const auto remove_all = [&] {
    for (const std::wstring* path : {&request.out, &manifest_path, &provenance_path}) DeleteFileW(path->c_str());
  };
  // The source's bytes are hashed on a thread of their own while the export is written and hashed.
  std::future<std::string> range_hashing = std::async(std::launch::async, [&] {
    return HashFile(request.source, plan.source_offset, uint64_t{plan.source_end} - plan.source_offset);
  });
  HashedFileWriter out(request.out);
  const bool written = WriteExport(file, index, plan, out);
  const std::string movie_hash = out.Close();
  const std::string range_hash = range_hashing.get();

  Provenance p;
  p.version = AM4EXPORT_VERSION;
  p.source_name = source_name;
  p.source_size = file.Seek(0, backup::kFromEnd) ? file.Position() : 0;
  p.recording = info;
  p.range_offset = plan.source_offset;
  p.range_length = plan.source_end - plan.source_offset;
  p.range_sha256 = range_hash;
  p.asked_from = request.from;
  p.asked_to = request.to;
  p.first_time = index.pictures[plan.first_picture].time;
  p.last_time = index.pictures[plan.end_picture - 1].time;
  p.pictures = plan.end_picture - plan.first_picture;
  p.groups = groups.count;
  p.damaged_segments = plan.damaged_segments;
  if (!written || movie_hash.empty() || range_hash.empty() ||
      !WriteWholeFile(manifest_path, ManifestLine(movie_hash, Utf8(BaseName(request.out)))) ||
      !WriteWholeFile(provenance_path, ProvenanceText(p))) {
    remove_all();
    return Refuse("could not write the export " + Utf8(request.out) + " and the files beside it");
  }
  std::printf("%s: %u pictures in %u groups, %s to %s, %u damaged segments skipped\n",
              Utf8(BaseName(request.out)).c_str(), p.pictures, p.groups,
              engine::FormatCaptureTime(p.first_time).c_str(), engine::FormatCaptureTime(p.last_time).c_str(),
              p.damaged_segments);
  return 0;
}

int Verify(const std::wstring& movie, const wchar_t* source) {
  bool failed = false;
  const auto report = [&](const std::string& what, const char* verdict, const std::string& why) {
    std::printf("%s: %s%s\n", what.c_str(), verdict, why.empty() ? "" : (" (" + why + ")").c_str());
    failed = failed || std::strcmp(verdict, "FAILED") == 0;
  };

  const std::string movie_name = Utf8(BaseName(movie));
  std::string manifest, hash, name;
  if (!ReadSmallFile(movie + L".sha256", manifest) || !ReadManifest(manifest, hash, name)) {
    report(movie_name, "FAILED", "no manifest " + movie_name + ".sha256");
  } else if (name != movie_name) {
    report(movie_name, "FAILED", "the manifest names " + name);
  } else {
    const std::string actual = HashFile(movie, 0, UINT64_MAX);
    report(movie_name, actual == hash ? "OK" : "FAILED", actual.empty() ? "cannot be read" : "");
  }

  std::string provenance, range_hash;
  uint32_t offset = 0, length = 0;
  const bool has_range =
      ReadSmallFile(movie + L".txt", provenance) && ReadSourceRange(provenance, offset, length, range_hash);
  const std::string what = has_range ? "source bytes " + std::to_string(offset) + " to " +
                                           std::to_string(uint64_t{offset} + length) + " of " +
                                           (source ? Utf8(BaseName(source)) : std::string("the source"))
                                     : "source";
  if (!source) {
    report(what, "SKIPPED", "no source file given");
  } else if (!has_range) {
    report(what, "FAILED", "no provenance " + movie_name + ".txt with the source range");
  } else {
    const std::string actual = HashFile(source, offset, length);
    report(what, actual == range_hash ? "OK" : "FAILED", actual.empty() ? "cannot be read" : "");
  }
  return failed ? 1 : 0;
}

bool ParseTimeArgument(const wchar_t* text, std::optional<engine::CaptureTime>& out) {
  engine::CaptureTime t;
  if (!engine::ParseCaptureTime(Utf8(text).c_str(), t)) return false;
  out = t;
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && argc <= 4 && std::wcscmp(argv[1], L"--verify") == 0)
    return Verify(argv[2], argc == 4 ? argv[3] : nullptr);

  ExportRequest request;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const wchar_t* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == L"-o" && value) {
      request.out = argv[++i];
    } else if ((arg == L"--from" || arg == L"--to") && value) {
      if (!ParseTimeArgument(argv[++i], arg == L"--from" ? request.from : request.to)) {
        std::fprintf(stderr, "am4export: %ls wants a date and time \"YYYY-MM-DD hh:mm:ss\"\n", arg.c_str());
        return 2;
      }
    } else if (arg.rfind(L"-", 0) != 0 && request.source.empty()) {
      request.source = arg;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (request.source.empty() || request.out.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (request.from && request.to && engine::CalendarSeconds(*request.to) <= engine::CalendarSeconds(*request.from)) {
    std::fputs("am4export: --to must come after --from\n", stderr);
    return 2;
  }
  return Export(request);
}
