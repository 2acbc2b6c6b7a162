// Classifies and probes a file on a thread of its own: a large file (a
// recording with gigabytes of preallocated zeros behind it, say) never holds
// up the window. The outcome is posted to the window as UM_FILE_PROBED.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "recording.h"

namespace view {

class FileProbe {
 public:
  FileProbe() = default;
  FileProbe(const FileProbe&) = delete;
  FileProbe& operator=(const FileProbe&) = delete;
  ~FileProbe() { Cancel(); }

  // Starts on `path`; a probe still running is stopped first. UM_FILE_PROBED
  // carries the probe's number in wParam.
  void Start(const std::wstring& path, HWND window);
  // Stops a probe and waits for its thread; the scans look at the stop flag
  // between blocks, so this takes no longer than one block's read.
  void Cancel();
  // On UM_FILE_PROBED: true when `number` is the latest probe and found a
  // playable backup file; then its path and recording.
  bool Take(WPARAM number, std::wstring& path, backup::RecordingInfo& info);

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  unsigned number_ = 0;
  // Written by the probe's thread before it posts.
  std::wstring path_;
  backup::RecordingInfo info_;
  bool playable_ = false;
};

}  // namespace view
