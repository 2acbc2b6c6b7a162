// What the player exports of its current camera, through the capture
// library: an AVI recording of the pictures shown, JPEG stills and printed
// pages in C:\WEB_BACKUP, and the image edit filters applied to the picture
// on screen. The player window owns one; start, stop, stills, prints and
// filters run on the user-interface thread, the per-picture capture on the
// display worker.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "avi_save_dlg.h"
#include "display_manager.h"
#include "image_filter.h"
#include "panel_texts.h"

namespace view {

class Export {
 public:
  static constexpr size_t kEditBufferBytes = 2'359'296;

  explicit Export(DisplayManager& display);
  ~Export();

  // User-interface thread.
  // Opens CAMnn_<play time>.avi (with _2, _3, ... when that is taken: an
  // export never replaces a file) at the chosen rate and appends the paused
  // picture of `camera`; false (nothing changed) without a camera or a file.
  bool StartRecording(const AviChoices& choices, int camera);
  // Closes the recording, running or not; true when one ran.
  bool EndRecording();
  bool Recording() const { return recording_.load(); }
  // Counts the recordings started: tells a late pause of an old one apart.
  uint32_t RecordingNumber() const { return number_.load(); }
  // CAMnn_<play time>.jpg, with a counter as the recording's name has.
  void SaveJpeg(int camera);
  void Print(HWND owner, int camera, const backup::CaptureTime& start, const backup::CaptureTime& end, const std::wstring& version);
  // Image edit operations 1 to 6 on the whole picture shown.
  void Filter(int operation, int camera);

  // Display worker, after each picture shown (play time of the picture):
  // one frame while recording. True once the recording has reached its size
  // limit (the next frame could pass it) or a frame could not be written,
  // and it is to end as a pause ends it.
  bool OnPicture(const backup::CaptureTime& play, int camera);

 private:
  backup::CaptureTime PlayTime();

  DisplayManager& display_;
  CFilter filter_;
  std::vector<uint8_t> edit_buffer_;     // user-interface thread
  int brightness_step_ = 0, contrast_step_ = 0;

  std::atomic<bool> recording_{false};
  std::atomic<uint32_t> number_{0};
  std::atomic<bool> ending_{false};  // the size limit reached or a frame not written
  std::atomic<uint64_t> size_limit_{0};    // bytes; set before recording_
  std::atomic<uint32_t> last_result_{0};   // what the library returned for the last frame
  uint32_t last_frame_bytes_ = 0;          // display worker

  std::mutex time_lock_;
  backup::CaptureTime play_time_;  // of the picture shown last; guarded by time_lock_
};

}  // namespace view
