// One AVI recording through the system's AVI file library: a video stream
// whose frames are JPEG pictures (Motion-JPEG), every frame a key frame.
// Not locked: the library's calls hold its lock around it.
#pragma once
#include <windows.h>
#include <vfw.h>

#include <cstdint>
#include <string>

#include "pixels.h"

namespace capstan {

class AviRecording {
 public:
  AviRecording() = default;
  AviRecording(const AviRecording&) = delete;
  AviRecording& operator=(const AviRecording&) = delete;
  ~AviRecording() { Close(); }

  bool Open(const std::wstring& path, int rate);
  // The first picture sets the video's size; one of another size is left out.
  // Returns the bytes of the file's RIFF so far, its index to come included.
  uint32_t Append(const Pixels& picture, const std::wstring& stream_name);
  // False when none was open.
  bool Close();
  bool IsOpen() const { return file_ != nullptr; }
  uint32_t Bytes() const;

 private:
  bool CreateStream(const Pixels& picture, const std::wstring& name);

  PAVIFILE file_ = nullptr;
  PAVISTREAM stream_ = nullptr;
  int rate_ = 0;
  int width_ = 0, height_ = 0;
  LONG frames_ = 0;
  uint64_t frame_bytes_ = 0;  // chunks of the frames written, headers and padding included
};

}  // namespace capstan
