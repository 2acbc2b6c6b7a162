// The player's artwork: panel, slider, clock glyphs, buttons, mode lamps and
// the image edit and AVI save panels, placed by Lumora's player data set.
#include <functional>
#include <string>

#include "artwork.h"
#include "skin_table.h"

namespace art {
namespace {

const wchar_t kSans[] = L"Liberation Sans";

// Palette of the player.
constexpr uint32_t kBackTop = Rgb(0x25, 0x2C, 0x37), kBackBottom = Rgb(0x14, 0x18, 0x1F);
constexpr uint32_t kAccent = Rgb(0x35, 0xC6, 0xE8);
constexpr uint32_t kInk = Rgb(0xE6, 0xED, 0xF5), kDimInk = Rgb(0x8A, 0x96, 0xA6);
constexpr uint32_t kDisabledInk = Rgb(0x5C, 0x64, 0x70);
constexpr uint32_t kWell = Rgb(0x0B, 0x0E, 0x12);
constexpr uint32_t kLitTop = Rgb(0xF2, 0xB0, 0x48), kLitBottom = Rgb(0xC2, 0x78, 0x1C);

skin::Rect R(uint16_t id) { return *skin::FindRect(skin::kPlayerSkin, id); }
Box B(const skin::Rect& r) { return {double(r.left), double(r.top), double(r.right), double(r.bottom)}; }

using Content = std::function<void(Canvas&, Box, uint32_t)>;

Content Label(const wchar_t* text, double px = 12) {
  return [text, px](Canvas& c, Box b, uint32_t ink) { c.Text(b, text, {kSans, px}, ink); };
}

// A panel button: rounded, lit (amber) when checked; content shifts when pressed.
void Button(Canvas& c, Face f, bool lit, const Content& content, double radius = 5) {
  Box b{0, 0, double(c.width()), double(c.height())};
  uint32_t top, bottom, border, ink;
  if (lit) {
    top = kLitTop, bottom = kLitBottom, border = Rgb(0x4A, 0x2C, 0x08), ink = Rgb(0x24, 0x16, 0x04);
    if (f == kHover) top = Rgb(0xFF, 0xCC, 0x70), bottom = Rgb(0xDA, 0x8E, 0x2A), border = Rgb(0xFF, 0xE2, 0xA0);
    if (f == kPressed) top = Rgb(0xA8, 0x62, 0x14), bottom = Rgb(0xD8, 0x90, 0x34);
    if (f == kDisabled) top = Rgb(0xD8, 0x9E, 0x48), bottom = Rgb(0xA8, 0x6C, 0x22), ink = Rgb(0x3A, 0x26, 0x0C);
  } else {
    top = Rgb(0x44, 0x50, 0x60), bottom = Rgb(0x28, 0x2F, 0x3A), border = Rgb(0x0A, 0x0C, 0x10), ink = kInk;
    if (f == kHover) top = Rgb(0x52, 0x64, 0x7C), bottom = Rgb(0x33, 0x3E, 0x4E), border = kAccent, ink = Rgb(0xFF, 0xFF, 0xFF);
    if (f == kPressed) top = Rgb(0x1C, 0x22, 0x2A), bottom = Rgb(0x2C, 0x35, 0x42), border = kAccent, ink = Rgb(0x9F, 0xE8, 0xFA);
    if (f == kDisabled) top = Rgb(0x2C, 0x31, 0x39), bottom = Rgb(0x25, 0x29, 0x30), border = Rgb(0x16, 0x19, 0x1E), ink = kDisabledInk;
  }
  c.RoundBox(b, radius, top, bottom, border, f == kHover || f == kPressed ? 1.5 : 1);
  if (f != kPressed && f != kDisabled) c.Line({radius, 1.8}, {b.right - radius, 1.8}, 0.6, Mix(top, 0xFFFFFF, 0.35));
  Box inner = b.inset(4);
  if (f == kPressed) inner = inner.moved(1, 1);
  content(c, inner, ink);
}

// Faces are painted over the panel they sit on, so their rounded corners blend in.
void AddButton(std::vector<Artwork>& out, const Image& panel, uint16_t id, const Content& content,
               bool toggle = false) {
  skin::Rect r = R(id);
  auto paint = [&](bool lit) {
    return [&, lit](Canvas& c, Face f) {
      c.Paste(panel, r.left, r.top);
      Button(c, f, lit, content);
    };
  };
  AddFaceSet(out, *skin::FindEntry(skin::kPlayerSkin.faces, id), r.width(), r.height(), paint(false));
  if (toggle)
    AddFaceSet(out, *skin::FindEntry(skin::kPlayerSkin.altFaces, id), r.width(), r.height(), paint(true));
}

// Transport icons, by button identifier (the mode lamps reuse them).
Content TransportIcon(uint16_t id) {
  return [id](Canvas& c, Box b, uint32_t ink) {
    Box q = b.inset(b.height() * 0.18);
    switch (id) {
      case 5: IconEnd(c, q, ink, true); break;
      case 6: IconDouble(c, q, ink, true); break;
      case 7: IconPlay(c, q, ink, true); break;
      case 8: IconPause(c, q, ink); break;
      case 9: IconPlay(c, q, ink); break;
      case 11: IconDouble(c, q, ink, false); break;
      case 12: IconEnd(c, q, ink, false); break;
    }
  };
}

// A mode lamp: dark when off, green when it shows the current mode.
void Lamp(Canvas& c, uint16_t transportId, bool lit) {
  Box b{0, 0, double(c.width()), double(c.height())};
  if (lit)
    c.RoundBox(b.inset(0.5), 3, Rgb(0x7C, 0xF5, 0xA0), Rgb(0x1F, 0xA8, 0x50), Rgb(0x0E, 0x40, 0x1E));
  else
    c.RoundBox(b.inset(0.5), 3, Rgb(0x12, 0x16, 0x1B), Rgb(0x1A, 0x1F, 0x26), Rgb(0x08, 0x0A, 0x0D));
  TransportIcon(transportId)(c, b.inset(1), lit ? Rgb(0x0B, 0x2A, 0x14) : Rgb(0x3C, 0x45, 0x50));
}

Content DivisionIcon(int cells, const wchar_t* text) {
  return [cells, text](Canvas& c, Box b, uint32_t ink) {
    Box icon{b.left + 6, b.top + 3, b.left + 6 + (b.height() - 6) * 4 / 3, b.bottom - 3};
    c.Fill(icon, ink);
    Box in = icon.inset(1.5);
    uint32_t hole = Rgb(0x20, 0x26, 0x2E);
    if (cells == 1) {
      c.Fill(in, hole);
    } else {
      double w = (in.width() - 1.5) / 2, h = (in.height() - 1.5) / 2;
      for (int i = 0; i < 4; ++i) {
        double x = in.left + (i % 2) * (w + 1.5), y = in.top + (i / 2) * (h + 1.5);
        c.Fill({x, y, x + w, y + h}, hole);
      }
    }
    c.Text({icon.right + 4, b.top, b.right, b.bottom}, text, {kSans, 12}, ink);
  };
}

Content CameraLabel(int n) {
  return [n](Canvas& c, Box b, uint32_t ink) {
    c.Text({b.left, b.top - 1, b.right, b.top + 10}, L"CAM", {kSans, 9}, ink);
    c.Text({b.left, b.top + 9, b.right, b.bottom + 1}, std::to_wstring(n).c_str(), {kSans, 16}, ink);
  };
}

Content ArrowIcon(bool up) {
  return [up](Canvas& c, Box b, uint32_t ink) { IconArrow(c, b.inset(5), ink, up); };
}

// The slider's empty bar in its band, drawn at the band's origin.
void SliderBar(Canvas& c, Box band) {
  Box groove = B(R(40)).moved(band.left - R(39).left, band.top - R(39).top);
  c.Gradient(band, Rgb(0x1C, 0x21, 0x29), Rgb(0x19, 0x1E, 0x25));
  c.RoundBox(groove.inset(-2), 4, Rgb(0x05, 0x06, 0x08), Rgb(0x10, 0x13, 0x18), Rgb(0x2E, 0x36, 0x42));
  c.Fill(groove, Rgb(0x08, 0x0A, 0x0D));
}

void SevenSegment(Canvas& c, Box cell, int digit, uint32_t on, uint32_t off) {
  static const uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
  double l = cell.left + 1.5, r = cell.right - 1.5, t = cell.top + 1, m = cell.top + 6, bt = cell.bottom - 1, w = 1.4;
  const Box seg[7] = {
      {l + w, t, r - w, t + w},          // a
      {r - w, t + w, r, m - w / 2},      // b
      {r - w, m + w / 2, r, bt - w},     // c
      {l + w, bt - w, r - w, bt},        // d
      {l, m + w / 2, l + w, bt - w},     // e
      {l, t + w, l + w, m - w / 2},      // f
      {l + w, m - w / 2, r - w, m + w / 2},  // g
  };
  for (int i = 0; i < 7; ++i) c.Fill(seg[i], (kSegments[digit] >> i) & 1 ? on : off);
}

Image GlyphStrip() {
  constexpr uint32_t on = Rgb(0x5C, 0xE6, 0xFF), off = Rgb(0x0C, 0x1E, 0x24);
  Canvas c(132, 12);
  c.Fill({0, 0, 132, 12}, 0);
  for (int d = 0; d < 10; ++d) SevenSegment(c, {9.0 * d, 0, 9.0 * d + 9, 12}, d, on, off);
  c.Fill({92, 3, 94, 5}, on);
  c.Fill({92, 7.5, 94, 9.5}, on);
  c.Text({96, 0, 114, 12}, L"AM", {kSans, 9}, on);
  c.Text({114, 0, 132, 12}, L"PM", {kSans, 9}, on);
  return c.Finish();
}

// A titled panel background for the two dialogs over the transport row.
void DialogPanel(Canvas& c, const wchar_t* line1, const wchar_t* line2, uint32_t mark) {
  Box b{0, 0, double(c.width()), double(c.height())};
  c.Fill(b, kBackBottom);
  c.RoundBox(b, 6, Rgb(0x2C, 0x35, 0x42), Rgb(0x1A, 0x1F, 0x27), kAccent);
  c.Ellipse({12, 14, 26, 28}, mark);
  c.Text({32, 10, 112, 32}, line1, {kSans, 15}, kInk, Align::kLeft);
  c.Text({12, 34, 112, 54}, line2, {kSans, 15}, kInk, Align::kLeft);
  c.Line({110, 10}, {110, b.bottom - 10}, 1, Rgb(0x3A, 0x45, 0x55));
}

Image Panel() {
  const skin::Rect all = R(0);
  Canvas c(all.width(), all.height());
  Box full = B(all);
  c.Gradient(full, kBackTop, kBackBottom);

  // Title strip with the player's name and the clock.
  c.Gradient({0, 0, full.right, 44}, Rgb(0x30, 0x3A, 0x49), Rgb(0x1E, 0x24, 0x2D));
  c.Fill({0, 43, full.right, 44}, Rgb(0x1E, 0x8C, 0xA8));
  c.RoundBox({14, 9, 40, 35}, 6, Rgb(0x5C, 0xDC, 0xF5), Rgb(0x1C, 0x8E, 0xB0), Rgb(0x0E, 0x40, 0x50));
  IconPlay(c, {20, 15, 36, 29}, Rgb(0x0B, 0x22, 0x2A));
  c.Text({48, 6, 170, 38}, L"REWYN", {kSans, 24}, kInk, Align::kLeft);
  c.Text({146, 14, 330, 34}, L"BACKUP PLAYER", {kSans, 13, FW_NORMAL}, kDimInk, Align::kLeft);
  Box clock = B(R(58));
  c.RoundBox({clock.left - 56, clock.top - 7, clock.right + 8, clock.bottom + 7}, 4, kWell, Rgb(0x10, 0x14, 0x19),
             Rgb(0x3A, 0x45, 0x55));
  c.Fill(clock, 0);
  c.Text({clock.left - 52, clock.top - 6, clock.left - 6, clock.bottom + 6}, L"TIME", {kSans, 10}, kDimInk,
         Align::kLeft);

  // Video area: pure blue, which the panel copy leaves out.
  Box video = B(R(60));
  c.Fill(video.inset(-4), kWell);
  c.Fill(video.inset(-1), Rgb(0x3A, 0x45, 0x55));
  c.Fill(video, kKeyBlue);

  SliderBar(c, B(R(39)));

  // Transport row with a caption under each mode lamp.
  c.RoundBox(B(R(256)), 6, Rgb(0x1E, 0x24, 0x2C), Rgb(0x16, 0x1A, 0x20), Rgb(0x33, 0x3C, 0x49));
  const wchar_t* captions[] = {L"FIRST", L"REWIND", L"REVERSE", L"PAUSE", L"PLAY", L"FORWARD", L"LAST"};
  for (int i = 0; i < 7; ++i) {
    Box lamp = B(R(uint16_t(41 + i)));
    c.Text({lamp.left - 4, lamp.bottom + 1, lamp.right + 4, lamp.bottom + 15}, captions[i], {kSans, 9}, kDimInk);
  }
  c.Text({500, 628, 708, 652}, L"BACKUP PLAYBACK", {kSans, 13}, Rgb(0x4A, 0x56, 0x66), Align::kRight);
  c.Text({500, 652, 708, 672}, L"H.264  \u2022  4 CAMERAS  \u2022  AUDIO", {kSans, 10, FW_NORMAL},
         Rgb(0x4A, 0x56, 0x66), Align::kRight);

  // Right column: information area, camera, division, delay and speed groups.
  Box info = B(R(63));
  c.RoundBox(info, 6, Rgb(0x00, 0x00, 0x00), Rgb(0x00, 0x00, 0x00), Rgb(0x3A, 0x45, 0x55));
  for (uint16_t id : {66, 69}) {
    double y = B(R(id)).bottom + 5;
    c.Line({info.left + 10, y}, {info.right - 10, y}, 1, Rgb(0x26, 0x2E, 0x38));
  }
  auto caption = [&](Box b, const wchar_t* text, Align align = Align::kLeft) {
    c.Text(b, text, {kSans, 11}, Rgb(0x7F, 0xC8, 0xDC), align);
  };
  caption({736, 360, 968, 378}, L"CAMERA");
  caption({736, 424, 968, 442}, L"SCREEN DIVISION");
  caption({736, 484, 856, 502}, L"DELAY", Align::kCenter);
  caption({872, 484, 968, 502}, L"SPEED", Align::kCenter);
  Box delay = B(R(61));
  c.RoundBox(delay.inset(-4), 3, 0, 0, Rgb(0x3A, 0x45, 0x55));
  c.Text({912, 504, 928, 536}, L"\u00B7", {kSans, 14}, kDimInk);
  Box audio = B(R(519));
  c.RoundBox(audio.inset(-4), 4, 0, 0, Rgb(0x3A, 0x45, 0x55));
  c.Text({856, 548, 968, 576}, L"SOUND", {kSans, 11}, kDimInk, Align::kLeft);

  // Name plate in the column's foot.
  c.RoundBox({736, 592, 968, 704}, 6, Rgb(0x1E, 0x24, 0x2C), Rgb(0x16, 0x1A, 0x20), Rgb(0x33, 0x3C, 0x49));
  c.Text({736, 612, 968, 648}, L"REWYN", {kSans, 30}, Rgb(0x34, 0x3E, 0x4C));
  c.Text({736, 650, 968, 670}, L"network video backup player", {kSans, 11, FW_NORMAL}, Rgb(0x4A, 0x56, 0x66));
  return c.Finish();
}

}  // namespace

std::vector<Artwork> PaintPlayer() {
  std::vector<Artwork> out;
  auto single = [&](uint16_t id, Image image) {
    out.push_back({*skin::FindEntry(skin::kPlayerSkin.bitmaps, id), std::move(image)});
    return out.back().image;
  };
  const Image panel = single(0, Panel());
  {
    skin::Rect band = R(39);
    Canvas c(band.width(), band.height());
    SliderBar(c, {0, 0, double(band.width()), double(band.height())});
    single(39, c.Finish());
  }
  {
    skin::Rect fill = R(40);
    Canvas c(fill.width(), fill.height());
    c.Gradient({0, 0, double(fill.width()), double(fill.height())}, Rgb(0x9C, 0xEE, 0xFF), Rgb(0x16, 0x8C, 0xB4));
    single(40, c.Finish());
  }
  single(48, GlyphStrip());
  Image editPanel, aviPanel;
  {
    skin::Rect r = R(256);
    Canvas c(r.width(), r.height());
    DialogPanel(c, L"IMAGE", L"EDIT", Rgb(0x5C, 0xDC, 0xF5));
    editPanel = single(256, c.Finish());
  }
  {
    skin::Rect r = R(512);
    Canvas c(r.width(), r.height());
    DialogPanel(c, L"AVI", L"SAVE", Rgb(0xE8, 0x40, 0x40));
    const uint16_t lists[] = {516, 517, 518};
    const wchar_t* names[] = {L"CAMERA", L"FRAME RATE", L"MAX SIZE"};
    for (int i = 0; i < 3; ++i) {
      Box list = B(R(lists[i]));  // already in the panel's coordinates
      c.Text({list.left, list.top - 22, list.right + 20, list.top - 4}, names[i], {kSans, 11}, Rgb(0x7F, 0xC8, 0xDC),
             Align::kLeft);
    }
    aviPanel = single(512, c.Finish());
  }

  AddButton(out, panel, 1, Label(L"AVI SAVE"), true);
  AddButton(out, panel, 2, Label(L"IMAGE EDIT"), true);
  AddButton(out, panel, 3, Label(L"FILE OPEN"));
  AddButton(out, panel, 4, Label(L"EXIT"));
  for (uint16_t id : {5, 6, 7, 8, 9, 11, 12}) AddButton(out, panel, id, TransportIcon(id));
  for (int i = 0; i < 4; ++i) AddButton(out, panel, uint16_t(13 + i), CameraLabel(i + 1), true);
  AddButton(out, panel, 29, DivisionIcon(1, L"SINGLE"));
  AddButton(out, panel, 30, DivisionIcon(4, L"QUAD"));
  AddButton(out, panel, 33, ArrowIcon(true));
  AddButton(out, panel, 34, ArrowIcon(false));
  AddButton(out, panel, 35, ArrowIcon(true));
  AddButton(out, panel, 36, ArrowIcon(false));

  // Slider thumb: a knob on pure red, the thumb's transparent colour.
  {
    skin::Rect r = R(37);
    AddFaceSet(out, *skin::FindEntry(skin::kPlayerSkin.faces, 37), r.width(), r.height(), [](Canvas& c, Face f) {
      Box b{0, 0, double(c.width()), double(c.height())};
      c.Fill(b, kKeyRed);
      uint32_t top = Rgb(0xEE, 0xF2, 0xF6), bottom = Rgb(0x98, 0xA2, 0xAE), border = Rgb(0x22, 0x28, 0x30);
      if (f == kHover) top = 0xFFFFFF, bottom = Rgb(0xB4, 0xBE, 0xCA), border = kAccent;
      if (f == kPressed) top = Rgb(0x9C, 0xEA, 0xFA), bottom = Rgb(0x2E, 0xA4, 0xC4), border = Rgb(0x0A, 0x3A, 0x48);
      if (f == kDisabled) top = Rgb(0x5E, 0x66, 0x70), bottom = Rgb(0x40, 0x46, 0x4E), border = Rgb(0x1A, 0x1E, 0x24);
      c.RoundBox(b.inset(1), 4, top, bottom, border, 1.2);
      for (double y : {9.0, 12.0, 15.0}) c.Line({4.5, y}, {11.5, y}, 0.8, Mix(bottom, 0, 0.45));
    });
  }

  for (int i = 0; i < 7; ++i) {
    const uint16_t transport[] = {5, 6, 7, 8, 9, 11, 12};
    uint16_t id = uint16_t(41 + i);
    skin::Rect r = R(id);
    AddFaceSet(out, *skin::FindEntry(skin::kPlayerSkin.faces, id), r.width(), r.height(),
               [&](Canvas& c, Face) { c.Paste(panel, r.left, r.top); Lamp(c, transport[i], false); });
    AddFaceSet(out, *skin::FindEntry(skin::kPlayerSkin.altFaces, id), r.width(), r.height(),
               [&](Canvas& c, Face) { c.Paste(panel, r.left, r.top); Lamp(c, transport[i], true); });
  }

  const std::pair<uint16_t, const wchar_t*> edit[] = {
      {258, L"BRIGHT +"}, {259, L"DARK \u2212"},   {260, L"CONTRAST +"}, {261, L"CONTRAST \u2212"},
      {264, L"SHARPEN"},  {257, L"BLUR"},          {266, L"UNDO"},       {265, L"REDO"},
      {267, L"SAVE JPEG"},  {268, L"PRINT"},
  };
  for (const auto& [id, text] : edit) AddButton(out, editPanel, id, Label(text, 11.5));
  AddButton(out, editPanel, 262, [](Canvas& c, Box b, uint32_t ink) {
    IconPlay(c, {b.left + 10, b.top + 8, b.left + 20, b.bottom - 8}, ink, true);
    c.Text({b.left + 18, b.top, b.right, b.bottom}, L"LEFT", {kSans, 11.5}, ink);
  });
  AddButton(out, editPanel, 263, [](Canvas& c, Box b, uint32_t ink) {
    c.Text({b.left, b.top, b.right - 18, b.bottom}, L"RIGHT", {kSans, 11.5}, ink);
    IconPlay(c, {b.right - 20, b.top + 8, b.right - 10, b.bottom - 8}, ink);
  });

  AddButton(out, aviPanel, 513, [](Canvas& c, Box b, uint32_t ink) {
    c.Ellipse({b.left + 6, b.top + 8, b.left + 16, b.top + 18}, ink == kDisabledInk ? ink : Rgb(0xE8, 0x40, 0x40));
    c.Text({b.left + 18, b.top, b.right, b.bottom}, L"START", {kSans, 12}, ink);
  });
  AddButton(out, aviPanel, 514, [](Canvas& c, Box b, uint32_t ink) {
    c.Fill({b.left + 7, b.top + 9, b.left + 16, b.top + 18}, ink);
    c.Text({b.left + 18, b.top, b.right, b.bottom}, L"STOP", {kSans, 12}, ink);
  });
  return out;
}

}  // namespace art
