#include "picture_format.h"

namespace engine {

BitmapInfoHeader TopDownHeader(int width, int height) {
  return {sizeof(BitmapInfoHeader), width, -height, 1, 24, 0, kPictureBytes, 0, 0, 0, 0};
}

}  // namespace engine
