// The artwork's files: 8-bit BMPs and the resource script that binds them.
#include <cstdio>

#include "artwork.h"

namespace art {

bool WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

static bool WriteText(const std::wstring& path, const std::string& text) {
  return WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool WriteSkin(const std::wstring& dir, const std::vector<Artwork>& art, const std::string& extra) {
  std::string rc = "// Written by skinart: the skin's bitmap resources.\n";
  for (const Artwork& a : art) {
    std::string name = std::to_string(a.resource) + ".bmp";
    if (!WriteFile(dir + L"\\" + std::wstring(name.begin(), name.end()), EncodeBmp8(a.image))) return false;
    rc += std::to_string(a.resource) + " BITMAP \"" + name + "\"\n";
  }
  return WriteText(dir + L"\\resources.rc", rc + extra);
}

}  // namespace art
