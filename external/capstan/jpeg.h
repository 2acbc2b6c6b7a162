// JPEG through the system's imaging codecs (WIC).
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "pixels.h"

namespace capstan {

constexpr float kJpegQuality = 0.9f;

// The picture as a JPEG file's bytes; empty on failure.
std::vector<uint8_t> EncodeJpeg(const Pixels& picture);
bool WriteJpeg(const Pixels& picture, const wchar_t* path);

}  // namespace capstan
