#include "display_manager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>

#include <windowsx.h>

#include "channel_cut.h"
#include "player_messages.h"
#include "win32/dib.h"

namespace view {

namespace {

constexpr uint8_t kWholeFill = 102;
constexpr COLORREF kRegionColour = RGB(255, 255, 0);

void Trace(const wchar_t* format, unsigned long code = 0) {
  wchar_t text[2000];
  swprintf(text, 2000, format, code);
  OutputDebugStringW(text);
}

int PointsToHeight(HDC dc, int points) { return -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72); }

BITMAPINFO* AsBitmapInfo(const engine::BitmapInfo& info) {
  return reinterpret_cast<BITMAPINFO*>(const_cast<engine::BitmapInfo*>(&info));
}

// Text in the outline colour shifted by one pixel each way, then in place.
void DrawOutlined(HDC dc, const wchar_t* text, RECT r, UINT flags, COLORREF outline, COLORREF colour) {
  const int old_bk = SetBkMode(dc, TRANSPARENT), old_map = SetMapMode(dc, MM_TEXT);
  DRAWTEXTPARAMS params{sizeof(params), 1, 4, 4, 0};
  SetTextColor(dc, outline);
  for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {-1, 1}, {1, 1}}) {
    RECT shifted = r;
    OffsetRect(&shifted, dx, dy);
    DrawTextExW(dc, const_cast<wchar_t*>(text), -1, &shifted, flags, &params);
  }
  SetTextColor(dc, colour);
  DrawTextExW(dc, const_cast<wchar_t*>(text), -1, &r, flags, &params);
  SetMapMode(dc, old_map);
  SetBkMode(dc, old_bk);
}

constexpr UINT kCaptionFlags = DT_TABSTOP | DT_NOCLIP | DT_WORD_ELLIPSIS;
constexpr UINT kResolutionFlags = kCaptionFlags | DT_RIGHT;
constexpr UINT kDateFlags = kCaptionFlags | DT_CENTER | DT_BOTTOM | DT_SINGLELINE;

}  // namespace

DisplayManager::DisplayManager() : layouts_(BuildLayouts()), whole_(engine::kPictureBytes, kWholeFill) {
  for (int n = 0; n < kChannels; ++n) {
    Channel& c = channels_[n];
    swprintf(c.caption, 50, L"Camera %02d", n + 1);
    c.info.header = engine::TopDownHeader(720, 480);
    c.info.header.height = 480;
    c.info.header.image_size = 1'036'800;
    c.pixels.assign(kChannelBytes, empty_fill_);
  }
  channel_cell_.fill(kNone);
  cell_channel_.fill(kNone);
  ResetWholeLocked();
}

DisplayManager::~DisplayManager() { Destroy(); }

void DisplayManager::ResetWholeLocked() {
  whole_info_ = {};
  whole_info_.header = engine::TopDownHeader(720, 576);
  whole_info_.header.height = 576;
  std::memset(whole_.data(), kWholeFill, whole_.size());
}

bool DisplayManager::Create(HWND parent, const RECT& rect) {
  parent_ = parent;
  rect_ = rect;
  if (!Window::Create(kClassName, L"DISPLAY", WS_CHILD, 0, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent)) {
    Trace(L"===>>> Fail CreateWindow  0x%08X \r\n", GetLastError());
    return false;
  }
  std::lock_guard<std::mutex> hold(lock_);
  for (int n = 0; n < kChannels; ++n) channel_cell_[n] = cell_channel_[n] = uint8_t(n);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  LayOut(layouts_, width, height);
  win32::WindowDC dc(Hwnd());
  window_font_.Reset(CreateFontW(PointsToHeight(dc.Get(), 9), 0, 0, 0, 300, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                                 FIXED_PITCH, L"MS Sans Serif"));
  if (window_font_) SendMessageW(Hwnd(), WM_SETFONT, WPARAM(window_font_.Get()), 0);
  else Trace(L"===>>> Fail CreateFont  0x%08X \r\n", GetLastError());
  offscreen_.Reset();
  EnsureBitmapLocked();
  return true;
}

bool DisplayManager::EnsureBitmapLocked() {
  if (offscreen_) return true;
  if (!Hwnd() || !offscreen_dc_.Get()) return false;
  win32::WindowDC dc(Hwnd());
  void* bits = nullptr;
  win32::Bitmap bitmap(win32::CreateTopDownDib(dc.Get(), rect_.right - rect_.left, rect_.bottom - rect_.top, 24, &bits));
  if (!bitmap) return false;
  offscreen_bits_ = static_cast<uint8_t*>(bits);
  HGDIOBJ old = SelectObject(offscreen_dc_.Get(), bitmap.Get());
  if (!offscreen_old_) offscreen_old_ = old;
  offscreen_ = std::move(bitmap);
  for (int cell = 0; cell < int(layouts_[layout_].cells.size()); ++cell) DrawOverlayLocked(offscreen_dc_.Get(), cell);
  return true;
}

void DisplayManager::SetDivision(int layout, const uint8_t* channels, int count) {
  if (layout < 0 || layout >= kLayouts) return;
  uint32_t mask = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    layout_ = layout;
    channel_cell_.fill(kNone);
    cell_channel_.fill(kNone);
    const int cells = int(layouts_[layout].cells.size());
    for (int i = 0; i < cells && i < count; ++i) {
      const uint8_t ch = channels[i];
      if (ch >= kChannels) continue;
      cell_channel_[i] = ch;
      channel_cell_[ch] = uint8_t(i);
      mask |= 1u << ch;
    }
  }
  Redraw(mask);
}

uint32_t DisplayManager::PresentPicture(const engine::BitmapInfo& info, const uint8_t* pixels,
                                        const backup::CaptureTime& time) {
  std::lock_guard<std::mutex> hold(lock_);
  return CutLocked(info, pixels, time);
}

uint32_t DisplayManager::CutLocked(const engine::BitmapInfo& info, const uint8_t* pixels, const backup::CaptureTime& time) {
  const engine::BitmapInfoHeader& h = info.header;
  if (h.width <= 0 || h.width > engine::kMaxPictureWidth || h.bit_count != 24 ||
      std::abs(h.height) > engine::kMaxPictureHeight)
    return 0;
  const size_t bytes = size_t(std::abs(h.height)) * (h.bit_count / 8) * h.width;
  whole_info_ = info;
  if (pixels != whole_.data()) std::memcpy(whole_.data(), pixels, bytes);
  uint8_t* outs[4];
  for (int n = 0; n < 4; ++n) {
    Channel& c = channels_[n];
    c.time = time;
    c.info = info;
    c.info.header.width = h.width / 2;
    c.info.header.height = h.height / 2;
    c.info.header.image_size = h.image_size / 4;
    c.valid = true;
    outs[n] = c.pixels.data();
  }
  CutQuarters(whole_.data(), bytes, h.width, h.height, h.bit_count, outs, kChannelBytes);
  return 15;
}

void DisplayManager::Redraw(uint32_t mask) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!Hwnd()) return;
  ComposeLocked(mask);
  win32::WindowDC dc(Hwnd());
  CopyToWindowLocked(dc.Get());
}

void DisplayManager::ComposeLocked(uint32_t mask) {
  if (mask == 0 || !EnsureBitmapLocked()) return;
  HDC dc = offscreen_dc_.Get();
  const int width = rect_.right - rect_.left, height = rect_.bottom - rect_.top;
  const int w = whole_info_.header.width, h = whole_info_.header.height;
  SourceRect source{};
  bool draw = false;
  if (layout_ == kOneCameraLayout) {
    for (int ch = 0; ch < 4; ++ch)
      if (channel_cell_[ch] != kNone) source = QuarterSource(ch, w, h), draw = true;
  } else if (layout_ == kFourCameraLayout) {
    source = WholeSource(w, h), draw = true;
  }
  if (draw) {
    // Rows top first, or bottom first for a header of positive height.
    const int stride = (w * 3 + 3) & ~3, rows = std::abs(h);
    const uint8_t* top = h < 0 ? whole_.data() : whole_.data() + size_t(rows - 1) * stride;
    GdiFlush();  // GDI's drawing into the section is done
    scaler_.Scale({top, h < 0 ? stride : -stride, source.x, source.y, source.width, source.height}, offscreen_bits_,
                  (width * 3 + 3) & ~3, width, height);
  }
  for (int ch = 0; ch < kChannels; ++ch)
    if ((mask >> ch & 1) && channel_cell_[ch] != kNone) DrawOverlayLocked(dc, channel_cell_[ch]);
}

void DisplayManager::DrawOverlayLocked(HDC dc, int cell) {
  const DivisionLayout& layout = layouts_[layout_];
  if (cell >= int(layout.cells.size())) return;
  const int ch = cell_channel_[cell];
  if (ch == kNone) return;
  const LayoutCell& c = layout.cells[cell];
  const int pen_width = FramePenWidth(layout_, cell), points = CaptionPoints(layout_, cell);
  {
    win32::Pen pen(CreatePen(PS_SOLID, pen_width, border_));
    win32::SelectedObject use(dc, pen.Get());
    MoveToEx(dc, c.left, c.top, nullptr);
    LineTo(dc, c.left, c.bottom);
    LineTo(dc, c.right, c.bottom);
    LineTo(dc, c.right, c.top);
    LineTo(dc, c.left, c.top);
  }
  const Channel& slot = channels_[ch];
  if (!slot.valid) return;
  win32::Font font(CreateFontW(PointsToHeight(dc, points), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                               0, L"Arial"));
  win32::SelectedObject use(dc, font.Get());
  const int x0 = c.left + 4, y0 = c.top + 4, e = (c.right - c.left - 8) / 6;
  if (show_caption_) DrawOutlined(dc, slot.caption, {x0, y0, x0 + 4 * e, y0 + 3 * points}, kCaptionFlags, outline_, text_);
  if (show_resolution_) {
    wchar_t text[32];
    swprintf(text, 32, L"%03d*%03d", WidthClass(slot.info.header.width), HeightClass(slot.info.header.height));
    DrawOutlined(dc, text, {x0 + 2 * e, y0, x0 + 6 * e, y0 + 2 * points}, kResolutionFlags, outline_, text_);
  }
  if (show_date_time_) {
    const std::wstring text = backup::FormatTimeWide(slot.time, backup::TimeForm::kSlashed);
    DrawOutlined(dc, text.c_str(), {x0 + e, c.bottom - points - 14, x0 + 5 * e, c.bottom + points - 14}, kDateFlags,
                 outline_, text_);
  }
}

// The region's frame goes on the window only: pictures, saved copies and
// exports never carry it.
void DisplayManager::CopyToWindowLocked(HDC window_dc) {
  const int width = rect_.right - rect_.left, height = rect_.bottom - rect_.top;
  if (EnsureBitmapLocked()) {
    BitBlt(window_dc, 0, 0, width, height, offscreen_dc_.Get(), 0, 0, SRCCOPY);
    if (frame_) {
      win32::Pen pen(CreatePen(PS_INSIDEFRAME, 2, kRegionColour));
      win32::SelectedObject use_pen(window_dc, pen.Get());
      win32::SelectedObject use_brush(window_dc, GetStockObject(NULL_BRUSH));
      Rectangle(window_dc, frame_->left, frame_->top, frame_->right, frame_->bottom);
    }
  } else {
    RECT all{0, 0, width, height};
    win32::Brush blue(CreateSolidBrush(RGB(0, 0, 255)));
    FillRect(window_dc, &all, blue.Get());
  }
}

void DisplayManager::ClearPictures() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (Channel& c : channels_) {
      std::memset(c.pixels.data(), empty_fill_, c.pixels.size());
      c.valid = false;
    }
    ResetWholeLocked();
  }
  Redraw(kAllChannels);
}

HBITMAP DisplayManager::RenderChannel(int channel, bool captions) {
  if (channel < 0 || channel >= kChannels) return nullptr;
  std::lock_guard<std::mutex> hold(lock_);
  const Channel& slot = channels_[channel];
  const int rows = std::abs(slot.info.header.height);
  win32::WindowDC screen(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen.Get(), 360, rows);
  if (!bitmap) return nullptr;
  win32::MemoryDC dc(screen.Get());
  win32::SelectedObject use(dc.Get(), bitmap);
  SetStretchBltMode(dc.Get(), HALFTONE);
  SetBrushOrgEx(dc.Get(), 0, 0, nullptr);
  StretchDIBits(dc.Get(), 0, 0, 360, rows, 0, 0, slot.info.header.width, rows, slot.pixels.data(),
                AsBitmapInfo(slot.info), DIB_RGB_COLORS, SRCCOPY);
  if (!captions) return bitmap;
  win32::Font font(CreateFontW(PointsToHeight(dc.Get(), 10), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                               0, 0, L"Arial"));
  win32::SelectedObject use_font(dc.Get(), font.Get());
  if (show_caption_ && slot.valid)
    DrawOutlined(dc.Get(), slot.caption, {4, 4, 236, 34}, kCaptionFlags, outline_, text_);
  if (show_resolution_) {
    if (!slot.valid) return bitmap;
    wchar_t text[32];
    swprintf(text, 32, L"%03d*%03d", 360, HeightClass(slot.info.header.height));
    DrawOutlined(dc.Get(), text, {120, 4, 352, 24}, kResolutionFlags, outline_, text_);
  }
  if (slot.valid) {
    const std::wstring text = backup::FormatTimeWide(slot.time, backup::TimeForm::kSlashed);
    DrawOutlined(dc.Get(), text.c_str(), {62, rows - 24, 294, rows - 4}, kDateFlags, outline_, text_);
  }
  return bitmap;
}

void DisplayManager::SavePicture(int channel) {
  if (channel < 0 || channel >= kChannels) return;
  std::lock_guard<std::mutex> hold(lock_);
  const Channel& slot = channels_[channel];
  const size_t bytes = std::min<size_t>(slot.info.header.image_size, kChannelBytes);
  saved_[channel].assign(slot.pixels.begin(), slot.pixels.begin() + bytes);
}

void DisplayManager::RestorePicture(int channel) {
  if (channel < 0 || channel >= kChannels) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (saved_[channel].empty()) {
      // The dialog closed after the current camera changed: the copy left
      // is the one to put back.
      for (int n = 0; n < kChannels; ++n)
        if (!saved_[n].empty()) channel = n;
      if (saved_[channel].empty()) return;
    }
    std::vector<uint8_t>& copy = saved_[channel];
    std::memcpy(channels_[channel].pixels.data(), copy.data(), copy.size());
    // Single view draws from the whole picture: its quarter goes back too.
    const engine::BitmapInfoHeader& h = whole_info_.header;
    PutQuarter(copy.data(), copy.size(), channel, h.width, h.height, h.bit_count, whole_.data(), whole_.size());
    std::vector<uint8_t>().swap(copy);
  }
  Redraw(1u << channel);
}

void DisplayManager::CopyPicture(engine::BitmapInfo* info, uint8_t* buffer) {
  std::lock_guard<std::mutex> hold(lock_);
  *info = whole_info_;
  std::memcpy(buffer, whole_.data(), std::min<size_t>(whole_info_.header.image_size, whole_.size()));
}

void DisplayManager::ReplacePicture(const uint8_t* buffer, int channel, const engine::BitmapInfo& info) {
  if (channel < 0 || channel >= kChannels) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    CutLocked(info, buffer, channels_[channel].time);
  }
  Redraw(1u << channel);
}

void DisplayManager::SetEmptyFill(uint8_t value) {
  std::lock_guard<std::mutex> hold(lock_);
  empty_fill_ = value;
}

void DisplayManager::SetBorderColour(COLORREF colour) {
  std::lock_guard<std::mutex> hold(lock_);
  border_ = colour;
}

void DisplayManager::SetShowFlags(bool caption, bool resolution, bool date_time) {
  std::lock_guard<std::mutex> hold(lock_);
  show_caption_ = caption;
  show_resolution_ = resolution;
  show_date_time_ = date_time;
}

std::optional<RECT> DisplayManager::Region() const {
  std::lock_guard<std::mutex> hold(lock_);
  return region_;
}

void DisplayManager::ClearRegion() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    region_.reset();
  }
  drag_from_.reset();
  ShowFrame(std::nullopt);
}

SIZE DisplayManager::PictureSize() const {
  std::lock_guard<std::mutex> hold(lock_);
  return {whole_info_.header.width, std::abs(whole_info_.header.height)};
}

void DisplayManager::ShowFrame(std::optional<RECT> frame) {
  std::lock_guard<std::mutex> hold(lock_);
  frame_ = frame;
  if (!Hwnd()) return;
  win32::WindowDC dc(Hwnd());
  CopyToWindowLocked(dc.Get());
}

// From the press to the release: the frame follows the pointer, kept on the window.
void DisplayManager::OnDrag(UINT msg, POINT at) {
  at.x = std::clamp<LONG>(at.x, 0, rect_.right - rect_.left);
  at.y = std::clamp<LONG>(at.y, 0, rect_.bottom - rect_.top);
  if (msg == WM_LBUTTONDOWN) {
    if (!region_allowed_) return;
    SetCapture(Hwnd());
    drag_from_ = at;
  }
  if (!drag_from_) return;
  const RECT r{std::min(drag_from_->x, at.x), std::min(drag_from_->y, at.y), std::max(drag_from_->x, at.x),
               std::max(drag_from_->y, at.y)};
  if (msg != WM_LBUTTONUP) return ShowFrame(r);
  drag_from_.reset();
  ReleaseCapture();
  const bool drawn = r.right - r.left >= kMinRegion && r.bottom - r.top >= kMinRegion;
  std::optional<RECT> region;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (drawn) region_ = r;
    region = region_;
  }
  ShowFrame(region);
  if (drawn) PostMessageW(parent_, UM_REGION_DRAWN, 0, 0);
}

LRESULT DisplayManager::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      SetFocus(parent_);  // the player's keys
      [[fallthrough]];
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      OnDrag(msg, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_CAPTURECHANGED:
      if (drag_from_ && HWND(lp) != Hwnd()) {  // taken away: the drag is dropped
        drag_from_.reset();
        ShowFrame(Region());
      }
      return 0;
    case WM_PAINT: {
      win32::PaintDC dc(Hwnd());
      std::lock_guard<std::mutex> hold(lock_);
      CopyToWindowLocked(dc.Get());
      return 0;
    }
    case WM_ERASEBKGND: {
      std::lock_guard<std::mutex> hold(lock_);
      CopyToWindowLocked(reinterpret_cast<HDC>(wp));
      return 1;
    }
    case WM_DESTROY: {
      OutputDebugStringW(L"===>>> Display Manager WM_DESTROY \r\n");
      // The drawing objects go with the window; the picture memory stays
      // until the object goes, so a late picture finds valid buffers.
      std::lock_guard<std::mutex> hold(lock_);
      if (offscreen_old_) SelectObject(offscreen_dc_.Get(), offscreen_old_);
      offscreen_old_ = nullptr;
      offscreen_.Reset();
      offscreen_bits_ = nullptr;
      window_font_.Reset();
      return 0;
    }
    case WM_ENABLE:
      OutputDebugStringW(L"===>>> Display Manager WM_ENABLE \r\n");
      return 0;
    case WM_GETFONT:
      OutputDebugStringW(L"===>>> Display Manager WM_GETFONT \r\n");
      return LRESULT(window_font_.Get());
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace view
