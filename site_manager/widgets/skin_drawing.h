// Drawing from skin bitmaps: a plain blit, the window shape from a bitmap's
// magenta key, and the translucent help box.
#pragma once
#include <windows.h>

// Copies bitmap, from its top-left corner, into the rectangle; a null bitmap draws nothing.
void DrawBitmap(HBITMAP bitmap, HDC dc, int left, int top, int right, int bottom);

// The region of the bitmap's pixels that are not the magenta key (empty for
// a bitmap of key pixels only), or null when it cannot be built. The caller
// owns it until it hands it to a window.
HRGN CreateRegionFromBitmap(HBITMAP bitmap);

// The help text (lines split by CR LF) on a box tinted 0x78E6FD at constant
// alpha 60, in the help text colour of the skin; length 0 draws nothing.
void DrawHelpBox(const wchar_t* text, int length, HDC dc, int left, int top, int right, int bottom);

// The help box's font: MS Sans Serif, 20 pixels, bold.
HFONT CreateHelpFont();
