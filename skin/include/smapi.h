// The skin interface: rectangles, backgrounds and button face sets by 16-bit
// skin identifier. Lumora (the player's skin) and the site manager's skin
// library both export it; every bitmap returned is new and the caller's to
// delete, and outputs are written only for identifiers that have an entry.
#pragma once

#include <windows.h>

extern "C" {
// Writes the rectangle of id; leaves *rect as it was when id has none or rect is null.
void SMAPI_GetResourceRect(WORD id, RECT* rect);
// Alternate face set (the second state of a toggle), in the order of the face set.
void SMAPI_GetResourceBitmapHandleEx(WORD id, HBITMAP* normal, HBITMAP* hover, HBITMAP* pressed,
                                     HBITMAP* disabled);
DWORD SMAPI_GetSkinCode();
}

// The two overloads keep C++ linkage: both are exported under their C++ names.
// Background bitmap of id, or null.
HBITMAP SMAPI_GetResourceBitmapHandle(WORD id);
// Face set of id: normal, hover, pressed, disabled; a face whose bitmap is
// missing comes back null.
void SMAPI_GetResourceBitmapHandle(WORD id, HBITMAP* normal, HBITMAP* hover, HBITMAP* pressed,
                                   HBITMAP* disabled);

// Export names of the two overloads, for programs that load a skin library at
// run time (the linker resolves them from the declarations above otherwise).
inline constexpr char kSmapiBitmapExport[] = "_Z29SMAPI_GetResourceBitmapHandlet";
inline constexpr char kSmapiFaceSetExport[] = "_Z29SMAPI_GetResourceBitmapHandletPP9HBITMAP__S1_S1_S1_";

// Skin code of Lumora; the site manager's login marks its request when its
// skin library answers it.
inline constexpr DWORD kLumoraSkinCode = 0x4B414C54;
