// The video area: a child window that shows the decoded pictures in a screen
// division, with a frame and an outlined caption in every occupied cell. It
// composes into an off-screen bitmap so that painting never waits for the
// decoder. The display worker presents pictures, the user-interface thread
// changes divisions and paints; one lock serialises their drawing. Where
// allowed, a drag with the left button draws a region's frame over the
// picture; the frame stays until it is cleared.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "capture_time.h"
#include "division_layout.h"
#include "picture_scale.h"
#include "picture_format.h"
#include "win32/gdi.h"
#include "win32/window.h"

namespace view {

constexpr uint32_t kChannelBytes = 1'728'000;
constexpr uint32_t kAllChannels = 0xFFFF;

class DisplayManager : private win32::Window {
 public:
  static constexpr wchar_t kClassName[] = L"DisplayManager";

  DisplayManager();
  ~DisplayManager() override;

  // The window on `rect` of the parent's client area, not shown yet.
  bool Create(HWND parent, const RECT& rect);
  void DestroyWindow() { Destroy(); }
  using Window::Hwnd;

  // Cell i shows channels[i] (kNone: empty); redraws the cells.
  void SetDivision(int layout, const uint8_t* channels, int count);
  int Layout() const { return layout_; }
  // Cuts a combined picture into channels 0..3 and keeps it whole;
  // returns the mask of the channels it filled.
  uint32_t PresentPicture(const engine::BitmapInfo& info, const uint8_t* pixels, const backup::CaptureTime& time);
  // Recomposes the channels of the mask and copies the bitmap to the window.
  void Redraw(uint32_t mask);
  void ClearPictures();

  // A 360-pixel-wide picture of the channel, with captions and capture time
  // when asked; the caller deletes it.
  HBITMAP RenderChannel(int channel, bool captions);
  void SavePicture(int channel);
  // Puts the saved copy back: this channel's, or the one channel that was
  // saved when this one has none.
  void RestorePicture(int channel);
  bool HasSavedPicture(int channel) const { return !saved_[channel].empty(); }
  // The last combined picture: its header and its pixels (image size bytes).
  void CopyPicture(engine::BitmapInfo* info, uint8_t* buffer);
  void ReplacePicture(const uint8_t* buffer, int channel, const engine::BitmapInfo& info);

  // User-interface thread. While allowed, a drag draws a region; one of at
  // least kMinRegion pixels each way is posted to the parent as
  // UM_REGION_DRAWN, a smaller one leaves the region as it was.
  static constexpr int kMinRegion = 4;
  void AllowRegion(bool allowed) { region_allowed_ = allowed; }
  std::optional<RECT> Region() const;  // in the window's pixels
  void ClearRegion();
  // The size of the combined picture shown last (0 x 0 before the first).
  SIZE PictureSize() const;

  void SetEmptyFill(uint8_t value);
  void SetBorderColour(COLORREF colour);
  void SetShowFlags(bool caption, bool resolution, bool date_time);

 private:
  struct Channel {
    bool valid = false;
    wchar_t caption[50] = {};
    backup::CaptureTime time = {};
    engine::BitmapInfo info = {};
    std::vector<uint8_t> pixels;
  };

  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  // With lock_ held.
  uint32_t CutLocked(const engine::BitmapInfo& info, const uint8_t* pixels, const backup::CaptureTime& time);
  void ComposeLocked(uint32_t mask);
  void DrawOverlayLocked(HDC dc, int cell);
  bool EnsureBitmapLocked();
  void CopyToWindowLocked(HDC window_dc);
  void ShowFrame(std::optional<RECT> frame);
  void OnDrag(UINT msg, POINT at);
  void ResetWholeLocked();

  mutable std::mutex lock_;
  HWND parent_ = nullptr;
  RECT rect_ = {};
  win32::Font window_font_;
  win32::Bitmap offscreen_;  // a 24-bit section the scaler writes into
  uint8_t* offscreen_bits_ = nullptr;
  win32::MemoryDC offscreen_dc_;
  PictureScaler scaler_;
  HGDIOBJ offscreen_old_ = nullptr;
  int layout_ = kInitialLayout;
  Layouts layouts_;
  std::array<Channel, kChannels> channels_;
  std::array<uint8_t, kChannels> channel_cell_, cell_channel_;
  std::array<std::vector<uint8_t>, kChannels> saved_;
  COLORREF outline_ = RGB(0, 0, 0), text_ = RGB(255, 255, 255), border_ = RGB(255, 255, 255);
  bool show_caption_ = false, show_resolution_ = false, show_date_time_ = false;
  uint8_t empty_fill_ = 75;
  engine::BitmapInfo whole_info_ = {};
  std::optional<RECT> frame_, region_;  // shown (the drag's while dragging), and drawn last
  bool region_allowed_ = false;         // user-interface thread
  std::optional<POINT> drag_from_;      // user-interface thread
  std::vector<uint8_t> whole_;
};

}  // namespace view
