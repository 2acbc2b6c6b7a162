#include "print_page.h"

#include <winspool.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "win32/gdi.h"

namespace capstan {

namespace {

class PrinterDC {
 public:
  PrinterDC() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (!size) return;
    std::vector<wchar_t> name(size);
    if (GetDefaultPrinterW(name.data(), &size)) dc_ = CreateDCW(L"WINSPOOL", name.data(), nullptr, nullptr);
  }
  PrinterDC(const PrinterDC&) = delete;
  PrinterDC& operator=(const PrinterDC&) = delete;
  ~PrinterDC() {
    if (dc_) DeleteDC(dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_ = nullptr;
};

// Positions on the page in device units.
class Page {
 public:
  explicit Page(HDC dc)
      : dc_(dc),
        width_(GetDeviceCaps(dc, HORZRES)),
        height_(GetDeviceCaps(dc, VERTRES)),
        dpi_x_(GetDeviceCaps(dc, LOGPIXELSX)),
        dpi_y_(GetDeviceCaps(dc, LOGPIXELSY)) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  int X(double inches) const { return int(inches * dpi_x_); }
  int Y(double inches) const { return int(inches * dpi_y_); }
  win32::Font MakeFont(int points, int weight) const {
    return win32::Font(CreateFontW(-MulDiv(points, dpi_y_, 72), 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                   ANTIALIASED_QUALITY, 0, L"Arial"));
  }
  // Draws one line of text in the rectangle and returns the line's height.
  int Text(const std::wstring& text, RECT r, const win32::Font& font, UINT flags, COLORREF colour = 0) const {
    win32::SelectedObject use(dc_, font.Get());
    SetTextColor(dc_, colour);
    SetBkMode(dc_, TRANSPARENT);
    return DrawTextW(dc_, text.c_str(), int(text.size()), &r, flags | DT_SINGLELINE | DT_NOPREFIX);
  }
  void Rule(int left, int right, int y, int thickness) const {
    RECT r{left, y, right, y + std::max(1, thickness)};
    FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }

 private:
  HDC dc_;
  int width_, height_, dpi_x_, dpi_y_;
};

// Text outlined in the shadow colour, as on the screen's snapshots.
void Outlined(const Page& page, const std::wstring& text, RECT r, const win32::Font& font, UINT flags,
              const PrintReport& report, int offset) {
  for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {-1, 1}, {1, 1}}) {
    RECT s = r;
    OffsetRect(&s, dx * offset, dy * offset);
    page.Text(text, s, font, flags, report.shadow);
  }
  page.Text(text, r, font, flags, report.text);
}

std::wstring CameraText(int camera) {
  wchar_t text[32];
  swprintf(text, 32, L"Camera %02d", camera + 1);
  return text;
}

void DrawReport(HDC dc, const Pixels& picture, const PrintReport& report) {
  const Page page(dc);
  const int left = page.X(0.75), right = page.Width() - page.X(0.75);
  int y = page.Y(0.75);

  const win32::Font title = page.MakeFont(22, FW_BOLD), subtitle = page.MakeFont(13, FW_NORMAL),
                    body = page.MakeFont(11, FW_NORMAL), label = page.MakeFont(11, FW_BOLD),
                    small = page.MakeFont(9, FW_NORMAL), caption = page.MakeFont(12, FW_BOLD);
  y += page.Text(report.title, {left, y, right, y + page.Y(0.5)}, title, DT_LEFT | DT_TOP);
  const std::wstring what = L"Still picture of " + CameraText(report.camera) + L", " +
                            ReadableTime(report.picture_time);
  y += page.Text(what, {left, y, right, y + page.Y(0.3)}, subtitle, DT_LEFT | DT_TOP);
  y += page.Y(0.1);
  page.Rule(left, right, y, page.Y(1.0 / 72));
  y += page.Y(0.2);

  // The picture across the text width, at most half the page high.
  int w = right - left, h = MulDiv(w, picture.height, std::max(1, picture.width));
  if (h > page.Height() / 2) {
    h = page.Height() / 2;
    w = MulDiv(h, picture.width, std::max(1, picture.height));
  }
  const int x = left + (right - left - w) / 2;
  const BITMAPINFO info = picture.Info();
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, x, y, w, h, 0, 0, picture.width, picture.height, picture.bgr.data(), &info, DIB_RGB_COLORS,
                SRCCOPY);
  const int edge = std::max(1, page.X(1.0 / 144));
  for (RECT r : {RECT{x, y, x + w, y + edge}, RECT{x, y + h - edge, x + w, y + h}, RECT{x, y, x + edge, y + h},
                 RECT{x + w - edge, y, x + w, y + h}})
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const int pad = page.X(0.08), outline = std::max(1, page.X(1.0 / 144));
  if (report.camera_caption)
    Outlined(page, CameraText(report.camera), {x + pad, y + pad, x + w - pad, y + page.Y(0.4)}, caption,
             DT_LEFT | DT_TOP, report, outline);
  if (report.time_caption)
    Outlined(page, ReadableTime(report.picture_time), {x + pad, y + h - page.Y(0.4), x + w - pad, y + h - pad},
             caption, DT_CENTER | DT_BOTTOM, report, outline);
  y += h + page.Y(0.3);

  // What the picture is, as a table of two columns.
  const int value_x = left + page.X(1.9), line = page.Y(0.28);
  const std::pair<const wchar_t*, std::wstring> rows[] = {
      {L"Camera", CameraText(report.camera)},
      {L"Picture time", ReadableTime(report.picture_time)},
      {L"Recording start", ReadableTime(report.start_time)},
      {L"Recording end", ReadableTime(report.end_time)},
  };
  for (const auto& [name, value] : rows) {
    page.Text(name, {left, y, value_x, y + line}, label, DT_LEFT | DT_VCENTER);
    page.Text(value, {value_x, y, right, y + line}, body, DT_LEFT | DT_VCENTER);
    y += line;
  }

  // Footer: the player's version and when the page was printed.
  const int bottom = page.Height() - page.Y(0.6);
  page.Rule(left, right, bottom - page.Y(0.32), page.Y(1.0 / 144));
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t printed[64];
  swprintf(printed, 64, L"Printed %04d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour,
           now.wMinute, now.wSecond);
  page.Text(report.title + L" " + report.version, {left, bottom - page.Y(0.28), right, bottom}, small,
            DT_LEFT | DT_VCENTER);
  page.Text(printed, {left, bottom - page.Y(0.28), right, bottom}, small, DT_RIGHT | DT_VCENTER);
}

}  // namespace

std::wstring ReadableTime(const std::wstring& text) {
  // YYYY-MM-DD hh-mm-ss
  static const wchar_t kPattern[] = L"dddd-dd-dd dd-dd-dd";
  if (text.size() != std::size(kPattern) - 1) return text;
  for (size_t i = 0; i < text.size(); ++i)
    if (kPattern[i] == L'd' ? !iswdigit(text[i]) : text[i] != kPattern[i]) return text;
  std::wstring out = text;
  out[13] = out[16] = L':';
  return out;
}

bool PrintPage(const Pixels& picture, const PrintReport& report) {
  if (picture.Empty()) return false;
  PrinterDC printer;
  if (!printer.Get()) return false;
  const std::wstring name = report.title + L" " + CameraText(report.camera) + L" " + report.picture_time;
  DOCINFOW doc{};
  doc.cbSize = sizeof(doc);
  doc.lpszDocName = name.c_str();
  if (StartDocW(printer.Get(), &doc) <= 0) return false;
  if (StartPage(printer.Get()) <= 0) {
    AbortDoc(printer.Get());
    return false;
  }
  DrawReport(printer.Get(), picture, report);
  const bool page_done = EndPage(printer.Get()) > 0;
  return EndDoc(printer.Get()) > 0 && page_done;
}

}  // namespace capstan
