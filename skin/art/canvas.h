// A drawing surface for the skin artwork: GDI draws at four times the size
// and Finish() averages it down, which smooths edges and text. Pixels drawn
// in a key colour stay exact, and no smoothed pixel takes a key's value.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "image8.h"

namespace art {

struct Box {
  double left, top, right, bottom;
  double width() const { return right - left; }
  double height() const { return bottom - top; }
  Box inset(double d) const { return {left + d, top + d, right - d, bottom - d}; }
  Box moved(double dx, double dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
};

struct Pt {
  double x, y;
};

struct Font {
  const wchar_t* face;
  double px;  // cell height in pixels
  int weight = FW_BOLD;
};

enum class Align { kLeft, kCenter, kRight };

class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }

  // Copies the part of a finished picture at (x, y) under the whole canvas.
  void Paste(const Image& from, int x, int y);
  void Fill(Box b, uint32_t rgb);
  void Gradient(Box b, uint32_t top, uint32_t bottom);
  // Rounded box with a vertical gradient and an outline of the given width.
  void RoundBox(Box b, double radius, uint32_t top, uint32_t bottom, uint32_t border, double borderWidth = 1);
  void Polygon(std::initializer_list<Pt> points, uint32_t rgb);
  void Ellipse(Box b, uint32_t rgb);
  void Line(Pt a, Pt b, double width, uint32_t rgb);
  void Text(Box b, const wchar_t* text, const Font& font, uint32_t rgb, Align align = Align::kCenter);
  // Text with a one-pixel dark outline, for labels over busy backgrounds.
  void OutlinedText(Box b, const wchar_t* text, const Font& font, uint32_t rgb, uint32_t outline,
                    Align align = Align::kCenter);

  Image Finish() const;

 private:
  int S(double v) const;
  RECT Scaled(Box b) const;

  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;  // top-down, 32 bits per pixel
};

// The colour channels of one 0xRRGGBB value, for GDI.
inline COLORREF Ref(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
uint32_t Mix(uint32_t a, uint32_t b, double t);

}  // namespace art
