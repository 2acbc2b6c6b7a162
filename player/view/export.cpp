#include "export.h"

#include <cstdio>

#include "capstan_api.h"
#include "image_edit_dlg.h"
#include "still_png.h"
#include "win32/gdi.h"
#include "win32/owners.h"
#include "win32/text_codec.h"

namespace view {

namespace {

constexpr wchar_t kFolder[] = L"C:\\WEB_BACKUP";
constexpr uint64_t kMegabyte = 1'048'576;

// A text for the library: the system's ANSI code page, "#" for what it
// cannot hold, at most 259 bytes.
struct Ansi {
  char text[260] = {};
  explicit Ansi(const std::wstring& s) {
    const std::string ansi = win32::ToAnsi(std::wstring_view(s).substr(0, 259), win32::kAnsiDisplay);
    ansi.copy(text, 259);
  }
  operator const char*() const { return text; }
};

using backup::TimeForm;

std::wstring TimeText(TimeForm form, const backup::CaptureTime& t) { return backup::FormatTimeWide(t, form); }

// The display window's context, or none without the window.
class DisplayDC {
 public:
  explicit DisplayDC(HWND window) : window_(window), dc_(window ? GetDC(window) : nullptr) {}
  DisplayDC(const DisplayDC&) = delete;
  DisplayDC& operator=(const DisplayDC&) = delete;
  ~DisplayDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// One camera's 360-pixel-wide snapshot.
struct Snapshot {
  win32::Bitmap bitmap;
  int height = 0;

  Snapshot(DisplayManager& display, int camera, bool captions) : bitmap(display.RenderChannel(camera, captions)) {
    BITMAP b{};
    if (bitmap && GetObjectW(bitmap.Get(), sizeof(b), &b)) height = b.bmHeight;
  }
  RECT Rect() const { return {0, 0, 360, height}; }
};

void MakeFolder() { CreateDirectoryW(kFolder, nullptr); }  // already there is fine
std::wstring InFolder(const std::wstring& file) { return std::wstring(kFolder) + L"\\" + file; }

// An export's name in the folder that no file has yet: stem + extension,
// else stem_2, stem_3, ... The name is claimed by creating it (create-new,
// so two exports never get one name) and left empty for the library to
// write; empty when none could be had.
std::wstring ClaimExportName(const std::wstring& stem, const wchar_t* extension) {
  constexpr int kMaxCounter = 9999;
  for (int n = 1; n <= kMaxCounter; ++n) {
    const std::wstring name = n == 1 ? stem : stem + L"_" + std::to_wstring(n);
    HANDLE h = CreateFileW(InFolder(name + extension).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return name;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

std::wstring CameraStem(int camera, const backup::CaptureTime& time) {
  wchar_t camera_part[16];
  swprintf(camera_part, 16, L"CAM%02d_", camera + 1);
  return camera_part + TimeText(TimeForm::kFileStem, time);
}

// A still's name (without extension): the camera and the picture's time.
std::wstring ClaimStillName(int camera, const backup::CaptureTime& time, const wchar_t* extension) {
  return ClaimExportName(CameraStem(camera, time), extension);
}

// Writes a new file; a file of that name stays as it is.
void WriteNewFile(const std::wstring& path, const std::vector<uint8_t>& data) {
  const win32::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  DWORD put = 0;
  if (file && !data.empty() &&
      (!WriteFile(file.Get(), data.data(), DWORD(data.size()), &put, nullptr) || put != data.size()))
    DeleteFileW(path.c_str());
}

}  // namespace

Export::Export(DisplayManager& display) : display_(display), edit_buffer_(kEditBufferBytes) {}

Export::~Export() {
  if (recording_.load()) EndRecording();
}

backup::CaptureTime Export::PlayTime() {
  std::lock_guard hold(time_lock_);
  return play_time_;
}

bool Export::StartRecording(const AviChoices& choices, int camera) {
  if (camera < 0) return false;
  const backup::CaptureTime play = PlayTime();
  MakeFolder();
  const std::wstring name = ClaimExportName(CameraStem(choices.camera, play), L".avi");
  if (name.empty()) return false;
  if (!CreateNewBackupFile(Ansi(kFolder), Ansi(name + L".avi"), uint8_t(choices.rate), 0)) {
    DeleteFileW(InFolder(name + L".avi").c_str());  // the empty claim
    return false;
  }
  size_limit_.store(uint64_t(choices.size_mb) * kMegabyte);
  ending_.store(false);
  {
    const Ansi time(TimeText(TimeForm::kSlashed, play));
    const Snapshot shot(display_, camera, true);
    const DisplayDC dc(display_.Hwnd());
    last_result_.store(CapScr2Avi(dc.Get(), shot.bitmap.Get(), 360, shot.height, time, 1, choices.camera));
  }
  last_frame_bytes_ = 0;
  number_.fetch_add(1);
  recording_.store(true);
  return true;
}

bool Export::EndRecording() {
  CapCloseAvi();
  return recording_.exchange(false);
}

bool Export::OnPicture(const backup::CaptureTime& play, int camera) {
  {
    std::lock_guard hold(time_lock_);
    play_time_ = play;
  }
  if (!recording_.load() || ending_.load() || camera < 0) return false;
  const Ansi time(TimeText(TimeForm::kSlashed, play));
  const Snapshot shot(display_, camera, true);
  const DisplayDC dc(display_.Hwnd());
  const uint32_t before = last_result_.load();
  const uint32_t now = CapScr2Avi(dc.Get(), shot.bitmap.Get(), 360, shot.height, time, 1, camera);
  last_result_.store(now);
  // A frame that was not written (a full disk, a picture of another size)
  // ends the recording as the size limit does: it must not look as running.
  const bool written = now > before;
  if (written) last_frame_bytes_ = now - before;
  // Successive frames differ little in size: the next one is taken as one and a half of this one.
  if (written && uint64_t(now) + last_frame_bytes_ * 3 / 2 <= size_limit_.load()) return false;
  ending_.store(true);
  return true;
}

void Export::SaveJpeg(int camera) {
  if (camera < 0) return;
  MakeFolder();
  const backup::CaptureTime time = PlayTime();
  const std::wstring name = ClaimStillName(camera, time, L".jpg");
  if (name.empty()) return;
  const Snapshot shot(display_, camera, true);
  const DisplayDC dc(display_.Hwnd());
  CapImageJpg(dc.Get(), shot.bitmap.Get(), shot.Rect(), 1, camera, Ansi(name), Ansi(kFolder));
  // Beside it the camera's quarter of the picture as decoded, lossless.
  engine::BitmapInfo info{};
  display_.CopyPicture(&info, edit_buffer_.data());
  const int width = info.header.width, height = -info.header.height;
  if (info.header.bit_count == 24 && width > 0 && height > 0 && size_t(3) * width * height <= edit_buffer_.size())
    WriteNewFile(std::wstring(kFolder) + L"\\" + name + L".png",
                 still::CameraPng(edit_buffer_.data(), width, height, camera + 1,
                                  {{"Capture Time", std::string(Ansi(TimeText(TimeForm::kSlashed, time)))},
                                   {"Camera", std::to_string(camera + 1)}}));
}

void Export::Print(HWND owner, int camera, const backup::CaptureTime& start, const backup::CaptureTime& end,
                   const std::wstring& version) {
  if (camera < 0) return;
  MakeFolder();
  const Ansi start_text(TimeText(TimeForm::kPrinted, start)), end_text(TimeText(TimeForm::kPrinted, end)),
      picture_text(TimeText(TimeForm::kPrinted, PlayTime()));
  const Snapshot shot(display_, camera, false);
  const DisplayDC dc(display_.Hwnd());
  BPrintChTime(1, 1);
  SetTextShadow(RGB(0, 0, 0), RGB(255, 255, 255));
  ImagePrint(owner, dc.Get(), shot.bitmap.Get(), 1, camera, shot.Rect(), start_text, end_text, picture_text,
             Ansi(L"WEB PLAYER"), Ansi(version));
  BPrintChTime(0, 0);
}

void Export::Filter(int operation, int camera) {
  if (camera < 0 || operation < kBrighter || operation > kLessContrast) return;
  engine::BitmapInfo info{};
  display_.CopyPicture(&info, edit_buffer_.data());
  const FilterPicture picture{info.header.width, info.header.height, info.header.bit_count, edit_buffer_.data(),
                              edit_buffer_.size()};
  switch (operation) {
    case kBrighter:
    case kDarker:
      brightness_step_ = operation == kBrighter ? 3 : -3;
      filter_.Brightness(picture, brightness_step_);
      break;
    case kMoreContrast:
    case kLessContrast:
      contrast_step_ = operation == kMoreContrast ? 3 : -3;
      filter_.Contrast(picture, contrast_step_);
      break;
    case kSharpen:
      filter_.Sharpen(picture);
      break;
    case kBlur:
      filter_.Blur(picture);
      break;
  }
  display_.ReplacePicture(edit_buffer_.data(), camera, info);
}

}  // namespace view
