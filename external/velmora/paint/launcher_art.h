// Velmora's artwork: the launcher's bitmaps and the application icon.
#pragma once

#include <vector>

#include "artwork.h"

namespace art {

std::vector<Artwork> PaintLauncher();
// The launcher's application icon, magenta where it is transparent.
Image PaintAppIcon(int size);

}  // namespace art
