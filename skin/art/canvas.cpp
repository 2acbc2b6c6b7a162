#include "canvas.h"

#include <cmath>
#include <vector>

namespace art {
namespace {

constexpr int kScale = 4;

// Brush and pen owners for one drawing call.
struct Brush {
  explicit Brush(HDC dc, uint32_t rgb) : dc(dc), brush(CreateSolidBrush(Ref(rgb))), old(SelectObject(dc, brush)) {}
  ~Brush() {
    SelectObject(dc, old);
    DeleteObject(brush);
  }
  HDC dc;
  HBRUSH brush;
  HGDIOBJ old;
};

struct NoPen {
  explicit NoPen(HDC dc) : dc(dc), old(SelectObject(dc, GetStockObject(NULL_PEN))) {}
  ~NoPen() { SelectObject(dc, old); }
  HDC dc;
  HGDIOBJ old;
};

}  // namespace

uint32_t Mix(uint32_t a, uint32_t b, double t) {
  auto ch = [&](int shift) {
    double v = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
    return uint32_t(std::lround(v)) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}

Canvas::Canvas(int width, int height) : width_(width), height_(height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width * kScale;
  info.bmiHeader.biHeight = -height * kScale;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t*>(bits);
  old_ = SelectObject(dc_, bitmap_);
  SetBkMode(dc_, TRANSPARENT);
}

Canvas::~Canvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

int Canvas::S(double v) const { return int(std::lround(v * kScale)); }

RECT Canvas::Scaled(Box b) const { return {S(b.left), S(b.top), S(b.right), S(b.bottom)}; }

void Canvas::Paste(const Image& from, int x, int y) {
  GdiFlush();
  const int stride = width_ * kScale;
  for (int row = 0; row < height_ * kScale; ++row)
    for (int col = 0; col < stride; ++col)
      bits_[row * stride + col] = from.at(x + col / kScale, y + row / kScale);
}

void Canvas::Fill(Box b, uint32_t rgb) {
  RECT r = Scaled(b);
  HBRUSH brush = CreateSolidBrush(Ref(rgb));
  FillRect(dc_, &r, brush);
  DeleteObject(brush);
}

void Canvas::Gradient(Box b, uint32_t top, uint32_t bottom) {
  RECT r = Scaled(b);
  for (int y = r.top; y < r.bottom; ++y) {
    double t = r.bottom - r.top > 1 ? double(y - r.top) / (r.bottom - r.top - 1) : 0;
    RECT row = {r.left, y, r.right, y + 1};
    HBRUSH brush = CreateSolidBrush(Ref(Mix(top, bottom, t)));
    FillRect(dc_, &row, brush);
    DeleteObject(brush);
  }
}

void Canvas::RoundBox(Box b, double radius, uint32_t top, uint32_t bottom, uint32_t border, double borderWidth) {
  // The outline is the outer rounded box; the gradient fills the inner one.
  RECT outer = Scaled(b);
  int d = S(radius * 2);
  {
    Brush brush(dc_, border);
    NoPen pen(dc_);
    RoundRect(dc_, outer.left, outer.top, outer.right + 1, outer.bottom + 1, d, d);
  }
  Box inner = b.inset(borderWidth);
  RECT in = Scaled(inner);
  int di = std::max(0, S((radius - borderWidth) * 2));
  HRGN clip = CreateRoundRectRgn(in.left, in.top, in.right + 1, in.bottom + 1, di, di);
  SelectClipRgn(dc_, clip);
  Gradient(inner, top, bottom);
  SelectClipRgn(dc_, nullptr);
  DeleteObject(clip);
}

void Canvas::Polygon(std::initializer_list<Pt> points, uint32_t rgb) {
  std::vector<POINT> scaled;
  for (Pt p : points) scaled.push_back({S(p.x), S(p.y)});
  Brush brush(dc_, rgb);
  NoPen pen(dc_);
  SetPolyFillMode(dc_, WINDING);
  ::Polygon(dc_, scaled.data(), int(scaled.size()));
}

void Canvas::Ellipse(Box b, uint32_t rgb) {
  RECT r = Scaled(b);
  Brush brush(dc_, rgb);
  NoPen pen(dc_);
  ::Ellipse(dc_, r.left, r.top, r.right + 1, r.bottom + 1);
}

void Canvas::Line(Pt a, Pt b, double width, uint32_t rgb) {
  HPEN pen = CreatePen(PS_SOLID, std::max(1, S(width)), Ref(rgb));
  HGDIOBJ old = SelectObject(dc_, pen);
  MoveToEx(dc_, S(a.x), S(a.y), nullptr);
  LineTo(dc_, S(b.x), S(b.y));
  SelectObject(dc_, old);
  DeleteObject(pen);
}

void Canvas::Text(Box b, const wchar_t* text, const Font& font, uint32_t rgb, Align align) {
  HFONT f = CreateFontW(-S(font.px), 0, 0, 0, font.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, font.face);
  HGDIOBJ old = SelectObject(dc_, f);
  SetTextColor(dc_, Ref(rgb));
  RECT r = Scaled(b);
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP;
  format |= align == Align::kLeft ? DT_LEFT : align == Align::kRight ? DT_RIGHT : DT_CENTER;
  DrawTextW(dc_, text, -1, &r, format);
  SelectObject(dc_, old);
  DeleteObject(f);
}

void Canvas::OutlinedText(Box b, const wchar_t* text, const Font& font, uint32_t rgb, uint32_t outline,
                          Align align) {
  for (Pt d : {Pt{-1, 0}, Pt{1, 0}, Pt{0, -1}, Pt{0, 1}}) Text(b.moved(d.x, d.y), text, font, outline, align);
  Text(b, text, font, rgb, align);
}

Image Canvas::Finish() const {
  GdiFlush();
  Image image{width_, height_, std::vector<uint32_t>(size_t(width_) * height_)};
  const int stride = width_ * kScale;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      // A pixel is a key when most of its samples are; otherwise it averages
      // the samples that are not keys, so keys never bleed into edges.
      uint32_t key = 0;
      int keys = 0, n = 0;
      uint32_t r = 0, g = 0, b = 0;
      for (int sy = 0; sy < kScale; ++sy) {
        for (int sx = 0; sx < kScale; ++sx) {
          uint32_t c = bits_[(y * kScale + sy) * stride + x * kScale + sx] & 0xFFFFFF;
          if (IsKeyColour(c)) {
            key = c;
            ++keys;
          } else {
            r += (c >> 16) & 0xFF, g += (c >> 8) & 0xFF, b += c & 0xFF;
            ++n;
          }
        }
      }
      uint32_t out;
      if (keys * 2 >= kScale * kScale) {
        out = key;
      } else {
        out = Rgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
        if (IsKeyColour(out)) out ^= 1;
      }
      image.pixels[size_t(y) * width_ + x] = out;
    }
  }
  return image;
}

}  // namespace art
