#include "file_probe.h"

#include "file_io.h"
#include "player_messages.h"

namespace view {

namespace {
constexpr int kBackupFileKind = 3;
}

void FileProbe::Start(const std::wstring& path, HWND window) {
  Cancel();
  stop_.store(false);
  path_ = path;
  playable_ = false;
  const WPARAM number = ++number_;
  thread_ = std::thread([this, window, number] {
    playable_ = backup::ClassifyFile(path_.c_str(), &stop_) == kBackupFileKind &&
                backup::ProbeRecording(path_.c_str(), info_, &stop_);
    PostMessageW(window, UM_FILE_PROBED, number, 0);
  });
}

void FileProbe::Cancel() {
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
}

bool FileProbe::Take(WPARAM number, std::wstring& path, backup::RecordingInfo& info) {
  if (number != number_ || !thread_.joinable()) return false;  // a later probe replaced it
  thread_.join();  // it has posted: it is ending
  if (!playable_) return false;
  path = path_;
  info = info_;
  return true;
}

}  // namespace view
