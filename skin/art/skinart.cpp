// Paints the artwork of the skin libraries and writes it as 8-bit BMP files
// with a resource script per library:
//   skinart PLAYER_DIR BACKUP_DIR LAUNCHER_DIR
// The launcher folder also gets the application icon (icon.ico).
#include <cstdio>
#include <string>
#include <vector>

#include "artwork.h"
#include "image8.h"

namespace {

using art::Put16;
using art::Put32;

bool WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

bool WriteText(const std::wstring& path, const std::string& text) {
  return WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// The bitmaps and a resource script that names them (extra lines appended).
bool WriteSkin(const std::wstring& dir, const std::vector<art::Artwork>& art, const std::string& extra = "") {
  std::string rc = "// Written by skinart: the skin's bitmap resources.\n";
  for (const art::Artwork& a : art) {
    std::string name = std::to_string(a.resource) + ".bmp";
    if (!WriteFile(dir + L"\\" + std::wstring(name.begin(), name.end()), art::EncodeBmp8(a.image))) return false;
    rc += std::to_string(a.resource) + " BITMAP \"" + name + "\"\n";
  }
  return WriteText(dir + L"\\resources.rc", rc + extra);
}

// An icon file of 32-bit images; magenta pixels are transparent.
std::vector<uint8_t> EncodeIcon(const std::vector<art::Image>& images) {
  std::vector<std::vector<uint8_t>> bodies;
  for (const art::Image& im : images) {
    std::vector<uint8_t> b;
    Put32(b, 40);
    Put32(b, im.width);
    Put32(b, im.height * 2);  // colour and mask
    Put16(b, 1);
    Put16(b, 32);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int y = im.height - 1; y >= 0; --y) {
      for (int x = 0; x < im.width; ++x) {
        uint32_t c = im.at(x, y);
        bool clear = art::IsKeyColour(c);
        Put32(b, clear ? 0 : (0xFF000000u | c));
      }
    }
    const int maskStride = ((im.width + 31) / 32) * 4;
    for (int y = im.height - 1; y >= 0; --y) {
      std::vector<uint8_t> row(maskStride, 0);
      for (int x = 0; x < im.width; ++x)
        if (art::IsKeyColour(im.at(x, y))) row[x / 8] |= uint8_t(0x80 >> (x % 8));
      b.insert(b.end(), row.begin(), row.end());
    }
    bodies.push_back(std::move(b));
  }
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, uint32_t(images.size()));
  uint32_t offset = 6 + 16 * uint32_t(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(uint8_t(images[i].width));
    out.push_back(uint8_t(images[i].height));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, uint32_t(bodies[i].size()));
    Put32(out, offset);
    offset += uint32_t(bodies[i].size());
  }
  for (const auto& b : bodies) out.insert(out.end(), b.begin(), b.end());
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    fwprintf(stderr, L"usage: skinart PLAYER_DIR BACKUP_DIR LAUNCHER_DIR\n");
    return 2;
  }
  bool ok = WriteSkin(argv[1], art::PaintPlayer()) && WriteSkin(argv[2], art::PaintBackup()) &&
            WriteFile(std::wstring(argv[3]) + L"\\icon.ico", EncodeIcon({art::PaintAppIcon(32), art::PaintAppIcon(16)})) &&
            WriteSkin(argv[3], art::PaintLauncher(), "48 ICON \"icon.ico\"\n1 RCDATA \"language.ini\"\n");
  if (!ok) fwprintf(stderr, L"skinart: cannot write the artwork\n");
  return ok ? 0 : 1;
}
