// The network backup window's artwork: the main window and the backup
// information dialog with their labels, and the face sets 103-150, whose
// four faces differ only in colour.
#include "artwork.h"
#include "skin_table.h"

namespace art {
namespace {

const wchar_t kSans[] = L"Liberation Sans";
constexpr uint32_t kBack = Rgb(0xE4, 0xE9, 0xF0), kTitleTop = Rgb(0x24, 0x40, 0x6C), kTitleBottom = Rgb(0x10, 0x22, 0x40);
constexpr uint32_t kText = Rgb(0x1A, 0x2A, 0x44), kFrame = Rgb(0x9A, 0xA8, 0xBA);

Box B(uint16_t id) {
  skin::Rect r = *skin::FindRect(skin::kBackupSkin, id);
  return {double(r.left), double(r.top), double(r.right), double(r.bottom)};
}

void Window(Canvas& c, const wchar_t* title) {
  Box all{0, 0, double(c.width()), double(c.height())};
  c.Gradient(all, kBack, Rgb(0xD2, 0xD9, 0xE3));
  c.Gradient({0, 0, all.right, 26}, kTitleTop, kTitleBottom);
  c.Fill({0, 26, all.right, 28}, Rgb(0xF2, 0xB8, 0x30));
  c.Text({14, 0, 400, 26}, title, {kSans, 15}, 0xFFFFFF, Align::kLeft);
  c.Fill({0, all.bottom - 1, all.right, all.bottom}, kTitleBottom);
  c.Fill({0, 0, 1, all.bottom}, kTitleBottom);
  c.Fill({all.right - 1, 0, all.right, all.bottom}, kTitleBottom);
}

void Group(Canvas& c, Box b, const wchar_t* title) {
  c.RoundBox(b, 5, Rgb(0xF4, 0xF7, 0xFA), Rgb(0xEA, 0xEF, 0xF5), kFrame);
  c.RoundBox({b.left + 10, b.top - 9, b.left + 18 + 7.2 * wcslen(title), b.top + 9}, 4, kTitleTop, kTitleBottom,
             kTitleBottom);
  c.Text({b.left + 14, b.top - 9, b.right, b.top + 9}, title, {kSans, 11.5}, 0xFFFFFF, Align::kLeft);
}

// A label left of a field, and the field's sunken box.
void Field(Canvas& c, uint16_t id, const wchar_t* label, double labelLeft) {
  Box f = B(id);
  if (label) c.Text({labelLeft, f.top, f.left - 6, f.bottom}, label, {kSans, 12, FW_SEMIBOLD}, kText, Align::kLeft);
  c.Fill(f.inset(-1), kFrame);
  c.Fill(f, 0xFFFFFF);
  c.Fill({f.left, f.top, f.right, f.top + 1}, Rgb(0xC4, 0xCD, 0xD8));
}

Image MainWindow() {
  Canvas c(704, 473);
  Window(c, L"BACKUP");
  Box status = B(0x1000);
  c.RoundBox(status.inset(-1), 3, Rgb(0x0A, 0x16, 0x2C), Rgb(0x12, 0x22, 0x3C), Rgb(0x4A, 0x68, 0x98));

  Group(c, {10, 62, 340, 430}, L"Backup Information");
  const std::pair<uint16_t, const wchar_t*> left[] = {
      {0x1001, L"IP Address"},     {0x1002, L"Network Port"},      {0x1003, L"User ID"},
      {0x1004, L"User Password"},  {0x1005, L"Save File Path"},    {0x1006, L"Start Backup Time"},
      {0x1007, L"End Backup Time"},
  };
  for (const auto& [id, label] : left) Field(c, id, label, 22);

  Group(c, {352, 62, 694, 210}, L"DVR Server Information");
  Field(c, 0x1008, L"Recorded Start Time", 362);
  Field(c, 0x1009, L"Recorded End Time", 362);

  Group(c, {352, 228, 694, 412}, L"Backup Status");
  const std::pair<uint16_t, const wchar_t*> right[] = {
      {0x100A, L"Message"}, {0x100D, L"Receive Rates"}, {0x100E, L"Backup Rates"},
      {0x100B, L"Receive bps"}, {0x100C, L"Save Size"},
  };
  for (const auto& [id, label] : right) Field(c, id, label, 362);
  return c.Finish();
}

Image InfoDialog() {
  Canvas c(500, 380);
  Window(c, L"BACKUP INFORMATION");
  Group(c, {10, 44, 490, 318}, L"Backup Settings");
  Field(c, 0x2000, L"Recorded Start Time", 22);
  Field(c, 0x2001, L"Recorded End Time", 22);
  Field(c, 0x2002, L"Save File Path", 22);
  Field(c, 0x2003, L"Max Save File Size", 22);
  Box size = B(0x2003);
  c.Text({size.right + 6, size.top, size.right + 40, size.bottom}, L"MB", {kSans, 12, FW_SEMIBOLD}, kText,
         Align::kLeft);

  const wchar_t* headings[] = {L"Year", L"Month", L"Day", L"Hour", L"Minute"};
  for (int col = 0; col < 5; ++col) {
    Box f = B(uint16_t(0x2004 + col));
    c.Text({f.left - 8, 206, f.right + 20, 228}, headings[col], {kSans, 11.5, FW_SEMIBOLD}, Rgb(0x24, 0x40, 0x6C));
    for (int row = 0; row < 2; ++row) Field(c, uint16_t(0x2004 + row * 5 + col), nullptr, 0);
  }
  c.Text({22, 233, 170, 256}, L"Start Backup Time", {kSans, 12, FW_SEMIBOLD}, kText, Align::kLeft);
  c.Text({22, 265, 170, 288}, L"End Backup Time", {kSans, 12, FW_SEMIBOLD}, kText, Align::kLeft);
  return c.Finish();
}

// One face: the colour says the state, the label stays.
struct FaceColours {
  uint32_t top, bottom, border, text;
};
FaceColours ColoursOf(Face f) {
  switch (f) {
    case kHover: return {Rgb(0xFF, 0xE8, 0x6A), Rgb(0xF0, 0xC0, 0x00), Rgb(0x8A, 0x6A, 0x00), Rgb(0x22, 0x1A, 0x00)};
    case kPressed: return {Rgb(0xFF, 0xA8, 0x4A), Rgb(0xE0, 0x6A, 0x00), Rgb(0x7A, 0x38, 0x00), 0xFFFFFF};
    case kDisabled: return {Rgb(0xC4, 0xC9, 0xD0), Rgb(0xA8, 0xAE, 0xB6), Rgb(0x88, 0x8E, 0x96), Rgb(0xE2, 0xE5, 0xE9)};
    default: return {Rgb(0x33, 0x58, 0xA0), Rgb(0x14, 0x2A, 0x5C), Rgb(0x0A, 0x16, 0x34), 0xFFFFFF};
  }
}

void LabelFace(Canvas& c, Face f, const wchar_t* label) {
  FaceColours k = ColoursOf(f);
  Box b{0, 0, double(c.width()), double(c.height())};
  c.Fill(b, kBack);
  c.RoundBox(b, 4, k.top, k.bottom, k.border);
  c.Text(b, label, {kSans, 12}, k.text);
}

void ArrowFace(Canvas& c, Face f, bool up) {
  FaceColours k = ColoursOf(f);
  Box b{0, 0, double(c.width()), double(c.height())};
  c.Fill(b, kBack);
  c.RoundBox(b, 2, k.top, k.bottom, k.border);
  IconArrow(c, b.inset(2.5), k.text, up);
}

}  // namespace

std::vector<Artwork> PaintBackup() {
  std::vector<Artwork> out;
  out.push_back({101, MainWindow()});
  out.push_back({102, InfoDialog()});
  const std::pair<uint16_t, const wchar_t*> labelled[] = {
      {103, L"Apply"},        {107, L"Close"},       {111, L"Connect Test"}, {119, L"Lock"},
      {123, L"Set Backup Time"}, {127, L"Start Backup"}, {139, L"Update"}, {143, L"Stop Backup"},
      {147, L"Unlock"},
  };
  for (const auto& [base, label] : labelled)
    AddFaceSet(out, base, 114, 27, [&](Canvas& c, Face f) { LabelFace(c, f, label); });
  AddFaceSet(out, 115, 63, 26, [](Canvas& c, Face f) { LabelFace(c, f, L"Find"); });
  AddFaceSet(out, 131, 12, 11, [](Canvas& c, Face f) { ArrowFace(c, f, false); });
  AddFaceSet(out, 135, 12, 11, [](Canvas& c, Face f) { ArrowFace(c, f, true); });
  return out;
}

}  // namespace art
