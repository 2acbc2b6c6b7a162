// Paints the artwork of Lumora's two data sets and writes it as 8-bit BMP
// files with a resource script per data set:
//   skinart PLAYER_DIR BACKUP_DIR
#include <cstdio>

#include "artwork.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    fwprintf(stderr, L"usage: skinart PLAYER_DIR BACKUP_DIR\n");
    return 2;
  }
  bool ok = art::WriteSkin(argv[1], art::PaintPlayer()) && art::WriteSkin(argv[2], art::PaintBackup());
  if (!ok) fwprintf(stderr, L"skinart: cannot write the artwork\n");
  return ok ? 0 : 1;
}
