#include "avi_recording.h"

#include <algorithm>
#include <vector>

#include "jpeg.h"

namespace capstan {

namespace {

constexpr DWORD kMjpg = mmioFOURCC('M', 'J', 'P', 'G');
// The file's headers before the first frame (the library pads them to 2 KiB)
// and, written at the close, the index: its header and 16 bytes a frame.
constexpr uint64_t kHeaderBytes = 2048;
constexpr uint64_t kIndexHeaderBytes = 8, kIndexEntryBytes = 16;
constexpr uint64_t kChunkHeaderBytes = 8;

}  // namespace

bool AviRecording::Open(const std::wstring& path, int rate) {
  Close();
  if (rate < 1 || rate > 30) return false;
  AVIFileInit();
  if (AVIFileOpenW(&file_, path.c_str(), OF_CREATE | OF_WRITE, nullptr) != AVIERR_OK) {
    file_ = nullptr;
    AVIFileExit();
    return false;
  }
  rate_ = rate;
  return true;
}

bool AviRecording::CreateStream(const Pixels& picture, const std::wstring& name) {
  AVISTREAMINFOW info{};
  info.fccType = streamtypeVIDEO;
  info.fccHandler = kMjpg;
  info.dwScale = 1;
  info.dwRate = DWORD(rate_);
  info.dwQuality = DWORD(-1);
  info.dwSuggestedBufferSize = DWORD(picture.width * picture.height * 3);
  SetRect(&info.rcFrame, 0, 0, picture.width, picture.height);
  lstrcpynW(info.szName, name.c_str(), int(std::size(info.szName)));
  if (AVIFileCreateStreamW(file_, &stream_, &info) != AVIERR_OK) {
    stream_ = nullptr;
    return false;
  }
  BITMAPINFOHEADER format{};
  format.biSize = sizeof(format);
  format.biWidth = picture.width;
  format.biHeight = picture.height;
  format.biPlanes = 1;
  format.biBitCount = 24;
  format.biCompression = kMjpg;
  format.biSizeImage = DWORD(picture.width * picture.height * 3);
  if (AVIStreamSetFormat(stream_, 0, &format, sizeof(format)) != AVIERR_OK) {
    AVIStreamRelease(stream_);
    stream_ = nullptr;
    return false;
  }
  width_ = picture.width;
  height_ = picture.height;
  return true;
}

uint32_t AviRecording::Append(const Pixels& picture, const std::wstring& stream_name) {
  if (!file_ || picture.Empty()) return Bytes();
  if (!stream_ && !CreateStream(picture, stream_name)) return Bytes();
  if (picture.width != width_ || picture.height != height_) return Bytes();
  const std::vector<uint8_t> jpeg = EncodeJpeg(picture);
  if (jpeg.empty()) return Bytes();
  if (AVIStreamWrite(stream_, frames_, 1, const_cast<uint8_t*>(jpeg.data()), LONG(jpeg.size()), AVIIF_KEYFRAME,
                     nullptr, nullptr) == AVIERR_OK) {
    ++frames_;
    frame_bytes_ += kChunkHeaderBytes + jpeg.size() + (jpeg.size() & 1);
  }
  return Bytes();
}

uint32_t AviRecording::Bytes() const {
  if (!file_) return 0;
  const uint64_t index = frames_ ? kIndexHeaderBytes + kIndexEntryBytes * uint64_t(frames_) : 0;
  return uint32_t(std::min<uint64_t>(kHeaderBytes + frame_bytes_ + index, UINT32_MAX));
}

bool AviRecording::Close() {
  if (!file_) return false;
  if (stream_) AVIStreamRelease(stream_);
  AVIFileRelease(file_);  // writes the headers and the index
  AVIFileExit();
  stream_ = nullptr;
  file_ = nullptr;
  rate_ = width_ = height_ = 0;
  frames_ = 0;
  frame_bytes_ = 0;
  return true;
}

}  // namespace capstan
