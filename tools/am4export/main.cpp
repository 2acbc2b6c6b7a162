// am4export FILE -o OUT.mp4 [--from TIME] [--to TIME] [--overwrite]: the
// recording of a backup file, or the groups of pictures that cover
// [from, to), as an MP4 with its own H.264, its sound as PCM and the capture
// times as timed text; beside it the provenance OUT.mp4.txt, the picture
// ledger OUT.mp4.frames.csv, the manifest OUT.mp4.sha256 (for sha256sum -c),
// its signature OUT.mp4.sha256.sig and the signing key OUT.mp4.pub.pem.
// am4export --verify OUT.mp4 [SOURCE]: checks the files against the
// manifest and its signature and, given the source file, rebuilds the
// export from the source and compares.
// Exit status 0 done, 1 refused or failed, 2 usage.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "commands.h"
#include "export_files.h"

namespace {

using namespace am4export;

const char kUsage[] =
    "usage: am4export FILE -o OUT.mp4 [--from \"YYYY-MM-DD hh:mm:ss\"] [--to \"YYYY-MM-DD hh:mm:ss\"] [--overwrite]\n"
    "       am4export --verify OUT.mp4 [SOURCE]\n";

bool ParseTimeArgument(const wchar_t* text, std::optional<backup::CaptureTime>& out) {
  backup::CaptureTime t;
  if (!backup::ParseCaptureTime(win32::ToUtf8(text).c_str(), t)) return false;
  out = t;
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && argc <= 4 && std::wcscmp(argv[1], L"--verify") == 0)
    return VerifyCommand(argv[2], argc == 4 ? argv[3] : nullptr);

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
    } else if (arg == L"--overwrite") {
      request.overwrite = true;
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
  if (request.from && request.to && backup::CalendarSeconds(*request.to) <= backup::CalendarSeconds(*request.from)) {
    std::fputs("am4export: --to must come after --from\n", stderr);
    return 2;
  }
  return ExportCommand(request);
}
