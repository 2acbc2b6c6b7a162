// The system's Media Foundation H.264 decoder transform, fed one access unit
// at a time and read back as I420 or NV12 pictures.
#pragma once
#include <windows.h>

#include <mfobjects.h>
#include <mftransform.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include "win32/owners.h"
#include "sps_size.h"
#include "yuv_to_bgr.h"

namespace framix {

// Keeps the process's multithreaded apartment and Media Foundation up while
// a decoder lives, so a thread of the caller's that never set up COM can
// still use the transform (it counts as a member of that apartment).
class MediaRuntime {
 public:
  MediaRuntime();
  ~MediaRuntime();
  MediaRuntime(const MediaRuntime&) = delete;
  MediaRuntime& operator=(const MediaRuntime&) = delete;
  bool Up() const { return mta_cookie_ && media_up_; }

 private:
  HANDLE mta_cookie_ = nullptr;
  bool media_up_ = false;
};

class H264Transform {
 public:
  enum class Next { kPicture, kNeedInput, kError };

  // Creates the decoder; false when the system has none that takes H.264.
  bool Open();
  // Feeds one access unit in start-code form. A delimiter is appended so
  // the decoder finishes the picture now instead of at the next input.
  bool Feed(const uint8_t* data, uint32_t length);
  // Takes one picture out, if the input so far completes one, and shows it
  // to `use` while its buffer is locked.
  Next Take(const std::function<void(const YuvView&)>& use);
  // Starts over with no reference pictures, no pending input and no
  // picture size; false when the decoder cannot be made again.
  bool Restart();
  // For tests: the next input fed faults inside the system's decoder call.
  void FaultNextFeed() { fault_next_.store(true); }

 private:
  bool ChooseOutputType();
  bool Show(IMFSample* sample, const std::function<void(const YuvView&)>& use);

  win32::ComPtr<IMFTransform> mft_;
  win32::ComPtr<IMFSample> output_;  // our own output sample, reused
  DWORD output_size_ = 0;     // bytes in it
  bool provides_samples_ = false;
  bool planar_ = false;                        // I420, else NV12
  UINT32 frame_width_ = 0, frame_height_ = 0;  // buffer layout
  std::optional<MFVideoArea> aperture_;        // the picture inside the buffer, when the type says
  std::optional<PictureSize> coded_size_;      // from the latest sequence parameter set fed
  LONG default_stride_ = 0;
  LONGLONG time_ = 0;
  std::atomic<bool> fault_next_{false};
};

}  // namespace framix
