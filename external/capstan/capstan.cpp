// capstan.dll: AVI recordings, JPEG stills and printed pages. One lock
// serialises the recording state: the display thread appends frames while
// the user-interface thread may start or close the recording.
#include "capstan_api.h"

#include <mutex>
#include <string>

#include "avi_recording.h"
#include "jpeg.h"
#include "pixels.h"
#include "print_page.h"
#include "win32/text_codec.h"

namespace {

std::wstring InFolder(const char* folder, const std::wstring& file) {
  std::wstring path = win32::FromAnsi(folder);
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  return path + file;
}

std::mutex recording_lock;
capstan::AviRecording recording;  // guarded by recording_lock
std::wstring recording_name;      // the stream's name: camera and first time; guarded by recording_lock

// Print switches and colours; the user-interface thread sets and uses them.
std::mutex print_lock;
bool print_camera = false, print_time = false;
COLORREF print_shadow = RGB(0, 0, 0), print_text = RGB(255, 255, 255);

}  // namespace

CAPSTAN_API int CreateNewBackupFile(const char* folder, const char* file, uint8_t rate, uint32_t) {
  if (!file || !*file) return 0;
  std::lock_guard hold(recording_lock);
  recording_name.clear();
  return recording.Open(InFolder(folder, win32::FromAnsi(file)), rate) ? 1 : 0;
}

CAPSTAN_API uint32_t CapScr2Avi(HDC dc, HBITMAP bitmap, int width, int height, const char* time_text, int,
                                int camera) {
  // The picture is read before the lock: the close never waits for that.
  const capstan::Pixels picture = capstan::ReadPixels(dc, bitmap, {0, 0, width, height});
  std::lock_guard hold(recording_lock);
  if (!recording.IsOpen()) return 0;
  if (recording_name.empty()) {
    wchar_t name[64];
    swprintf(name, 64, L"CAM%02d %ls", camera + 1, win32::FromAnsi(time_text).c_str());
    recording_name = name;
  }
  return recording.Append(picture, recording_name);
}

CAPSTAN_API int CapCloseAvi() {
  std::lock_guard hold(recording_lock);
  return recording.Close() ? 1 : 0;
}

CAPSTAN_API void CapImageJpg(HDC dc, HBITMAP bitmap, RECT rect, int, int, const char* file, const char* folder) {
  if (!file || !*file) return;
  const capstan::Pixels picture = capstan::ReadPixels(dc, bitmap, rect);
  capstan::WriteJpeg(picture, InFolder(folder, win32::FromAnsi(file) + L".jpg").c_str());
}

CAPSTAN_API int BPrintChTime(int camera_caption, int time_caption) {
  std::lock_guard hold(print_lock);
  print_camera = camera_caption != 0;
  print_time = time_caption != 0;
  return 1;
}

CAPSTAN_API int SetTextShadow(COLORREF shadow, COLORREF text) {
  std::lock_guard hold(print_lock);
  print_shadow = shadow;
  print_text = text;
  return 1;
}

CAPSTAN_API void ImagePrint(HWND, HDC dc, HBITMAP bitmap, int, int camera, RECT rect, const char* start_time,
                            const char* end_time, const char* picture_time, const char* title,
                            const char* version) {
  capstan::PrintReport report;
  report.title = win32::FromAnsi(title);
  report.version = win32::FromAnsi(version);
  report.start_time = win32::FromAnsi(start_time);
  report.end_time = win32::FromAnsi(end_time);
  report.picture_time = win32::FromAnsi(picture_time);
  report.camera = camera;
  {
    std::lock_guard hold(print_lock);
    report.camera_caption = print_camera;
    report.time_caption = print_time;
    report.shadow = print_shadow;
    report.text = print_text;
  }
  capstan::PrintPage(capstan::ReadPixels(dc, bitmap, rect), report);
}
