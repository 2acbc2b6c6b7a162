// The site manager's launcher artwork (Velmora): a shaped background whose
// magenta surround cuts the window's outline, its buttons and the icon.
#include "launcher_art.h"
#include "velmora_data.h"

namespace art {
namespace {

const wchar_t kSans[] = L"Liberation Sans";
constexpr uint32_t kBodyTop = Rgb(0x1E, 0x30, 0x4E), kBodyBottom = Rgb(0x0C, 0x15, 0x26);
constexpr uint32_t kEdge = Rgb(0x4F, 0xA3, 0xE0);

Box B(uint16_t id) {
  skin::Rect r = *skin::FindRect(velmora::kSkin, id);
  return {double(r.left), double(r.top), double(r.right), double(r.bottom)};
}

Image Background() {
  Box all = B(0);
  Canvas c(int(all.right), int(all.bottom));
  c.Fill(all, kKeyMagenta);
  // A name tab above the rounded body: the two make the window's outline.
  c.RoundBox({14, 0, 236, 48}, 12, Rgb(0x2A, 0x5E, 0x9A), Rgb(0x1E, 0x40, 0x6C), kEdge, 2);
  c.RoundBox({0, 26, all.right, all.bottom}, 22, kBodyTop, kBodyBottom, kEdge, 2);
  c.Gradient({16, 26, 234, 28}, Rgb(0x1E, 0x40, 0x6C), Rgb(0x1E, 0x40, 0x6C));
  c.Text({28, 2, 120, 28}, L"Ostra", {kSans, 21}, 0xFFFFFF, Align::kLeft);
  c.Text({98, 5, 232, 27}, L"SITE MANAGER", {kSans, 12}, Rgb(0xA8, 0xD8, 0xFF), Align::kLeft);

  // Current site box, the help area and the function column.
  c.RoundBox({12, 72, 262, 156}, 8, Rgb(0x08, 0x10, 0x1E), Rgb(0x0C, 0x16, 0x28), Rgb(0x2E, 0x4C, 0x74));
  c.Text({26, 78, 250, 98}, L"CURRENT SITE", {kSans, 11}, Rgb(0x6C, 0xB4, 0xE8), Align::kLeft);
  Box help = B(10);
  c.RoundBox(help, 8, Rgb(0x14, 0x22, 0x3A), Rgb(0x10, 0x1C, 0x30), Rgb(0x24, 0x3C, 0x5E));
  c.Text({help.left, help.bottom + 4, help.right, help.bottom + 22}, L"point at a function for help",
         {kSans, 10, FW_NORMAL}, Rgb(0x4C, 0x6A, 0x90));
  c.RoundBox({266, 54, 450, 334}, 10, Rgb(0x14, 0x24, 0x3E), Rgb(0x10, 0x1C, 0x32), Rgb(0x2E, 0x4C, 0x74));
  c.Line({20, 340}, {all.right - 20, 340}, 1, Rgb(0x2E, 0x4C, 0x74));
  return c.Finish();
}

void LauncherButton(Canvas& c, Face f, const wchar_t* label) {
  Box b{0, 0, double(c.width()), double(c.height())};
  uint32_t top = Rgb(0x34, 0x56, 0x86), bottom = Rgb(0x1C, 0x32, 0x56), border = Rgb(0x5C, 0x86, 0xBF);
  uint32_t ink = 0xFFFFFF;
  if (f == kHover) top = Rgb(0x4C, 0x92, 0xDC), bottom = Rgb(0x2A, 0x5C, 0xA0), border = Rgb(0xA8, 0xE4, 0xFF);
  if (f == kPressed) top = Rgb(0x14, 0x2A, 0x4E), bottom = Rgb(0x24, 0x44, 0x74), ink = Rgb(0xA8, 0xD8, 0xFF);
  if (f == kDisabled) top = Rgb(0x2A, 0x32, 0x40), bottom = Rgb(0x22, 0x29, 0x35), border = Rgb(0x36, 0x40, 0x50),
    ink = Rgb(0x66, 0x72, 0x84);
  c.RoundBox(b, 6, top, bottom, border, f == kHover ? 1.5 : 1);
  Box text = f == kPressed ? b.moved(1, 1) : b;
  c.Text(text, label, {kSans, 13}, ink);
}

}  // namespace

std::vector<Artwork> PaintLauncher() {
  std::vector<Artwork> out;
  const Image back = Background();
  out.push_back({*skin::FindEntry(velmora::kSkin.bitmaps, 0), back});
  const std::pair<uint16_t, const wchar_t*> buttons[] = {
      {1, L"IP SETUP"},   {2, L"REMOTE SETUP"}, {3, L"WEB VIEWER"}, {4, L"WEB BACKUP"},
      {5, L"WEB PLAYER"}, {6, L"WEB SEARCH"},   {9, L"CANCEL"},
  };
  for (const auto& [id, label] : buttons) {
    skin::Rect r = *skin::FindRect(velmora::kSkin, id);
    AddFaceSet(out, *skin::FindEntry(velmora::kSkin.faces, id), r.width(), r.height(), [&](Canvas& c, Face f) {
      c.Paste(back, r.left, r.top);
      LauncherButton(c, f, label);
    });
  }
  return out;
}

Image PaintAppIcon(int size) {
  Canvas c(size, size);
  double s = size;
  c.Fill({0, 0, s, s}, kKeyMagenta);
  c.RoundBox({0, 0, s, s}, s * 0.2, Rgb(0x3C, 0x7C, 0xC8), Rgb(0x14, 0x2C, 0x52), Rgb(0x0A, 0x16, 0x2C));
  // A camera lens.
  c.Ellipse({s * 0.2, s * 0.2, s * 0.8, s * 0.8}, Rgb(0xA8, 0xE4, 0xFF));
  c.Ellipse({s * 0.3, s * 0.3, s * 0.7, s * 0.7}, Rgb(0x0C, 0x18, 0x2C));
  c.Ellipse({s * 0.38, s * 0.36, s * 0.5, s * 0.48}, Rgb(0xE8, 0xF6, 0xFF));
  return c.Finish();
}

}  // namespace art
