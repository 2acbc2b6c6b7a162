// What the player's skin draws, as the screen shows it, for the playerhost
// tests: bitmaps and button faces read back as pixels, and paths.
#pragma once
#include <windows.h>

#include <string>

#include "ui_driver.h"

namespace skinlooks {

enum : int { kNormalFace = 0, kDisabledFace = 3, kCheckedNormalFace = 4, kCheckedDisabledFace = 7 };

std::wstring Widen(const char* s);
// Forward slashes turned into backslashes, as a person types a path.
std::wstring WindowsPath(std::wstring path);

// The part of a bitmap.
uidriver::Pixels FromBitmap(HBITMAP bitmap, RECT part);
// A button's look: face 0..3 of its face set, 4..7 of its alternate set.
uidriver::Pixels ButtonFace(int id, int face);
// The panel background under a skin rectangle.
uidriver::Pixels Background(int id);

}  // namespace skinlooks
