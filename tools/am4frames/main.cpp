// am4frames FILE [--bmp DIR]: the pictures playback decodes from a backup
// file, one line each: index key date time timestamp width height. With
// --bmp each picture is also written as DIR\NNNNN.bmp.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "recording_frames.h"

namespace {

// A 24-bit bottom-up BMP of a top-first picture.
bool WriteBmp(const std::wstring& path, const engine::PictureEntry& p) {
  const int width = p.bitmap_info.header.width, height = -p.bitmap_info.header.height;
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, static_cast<DWORD>(stride * height), 0, 0, 0, 0};
  file.bfSize = file.bfOffBits + info.biSizeImage;
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  const char pad[3] = {};
  for (int y = height - 1; y >= 0; --y) {
    std::fwrite(p.pixels + y * width * 3, 1, width * 3, out);
    std::fwrite(pad, 1, stride - width * 3, out);
  }
  return std::fclose(out) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const wchar_t* bmp_dir = nullptr;
  if (argc == 4 && std::wcscmp(argv[2], L"--bmp") == 0) {
    bmp_dir = argv[3];
    CreateDirectoryW(bmp_dir, nullptr);
  } else if (argc != 2) {
    std::fputs("usage: am4frames FILE [--bmp DIR]\n", stderr);
    return 2;
  }
  bool written = true;
  const bool ok = am4frames::DecodeRecording(argv[1], -1, [&](int index, const engine::PictureEntry& p) {
    const auto& t = p.capture_time;
    std::printf("%d %d %s %u %d %d\n", index, p.key, backup::FormatTime(t, backup::TimeForm::kDashed).c_str(),
                p.timestamp, p.bitmap_info.header.width, -p.bitmap_info.header.height);
    if (bmp_dir) {
      wchar_t name[32];
      std::swprintf(name, 32, L"\\%05d.bmp", index);
      written = WriteBmp(bmp_dir + std::wstring(name), p) && written;
    }
  });
  if (!ok) std::fputs("am4frames: the file is not a playable backup file\n", stderr);
  if (!written) std::fputs("am4frames: could not write every picture\n", stderr);
  return ok && written ? 0 : 1;
}
