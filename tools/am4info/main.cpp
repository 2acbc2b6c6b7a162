// am4info FILE: what a backup file holds, one key=value a line.
// Exit status 0 for a playable file, 1 when it is refused, 2 on a usage error.
#include <windows.h>

#include <cstdio>

#include "file_io.h"
#include "recording_summary.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: am4info FILE\n", stderr);
    return 2;
  }
  const int kind = backup::ClassifyFile(argv[1]);
  backup::RecordingInfo info;
  if (kind != 3 || !backup::ProbeRecording(argv[1], info)) {
    am4info::PrintReport(stdout, kind, nullptr, nullptr);
    return 1;
  }
  backup::FileIO file;
  if (!file.Open(argv[1], 1)) {
    am4info::PrintReport(stdout, kind, &info, nullptr);
    return 1;
  }
  const am4info::RecordingSummary summary = am4info::SummarizeRecording(file, info);
  am4info::PrintReport(stdout, kind, &info, &summary);
  return 0;
}
