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

// The two overloads keep C++ linkage under the Microsoft compiler's decoration
// of these declarations in each bitness: the names that skin libraries and
// programs built with that compiler export and bind.
#ifdef _WIN64
#define SMAPI_BITMAP_NAME "?SMAPI_GetResourceBitmapHandle@@YAPEAUHBITMAP__@@G@Z"
#define SMAPI_FACE_SET_NAME "?SMAPI_GetResourceBitmapHandle@@YAXGPEAPEAUHBITMAP__@@000@Z"
#else
#define SMAPI_BITMAP_NAME "?SMAPI_GetResourceBitmapHandle@@YAPAUHBITMAP__@@G@Z"
#define SMAPI_FACE_SET_NAME "?SMAPI_GetResourceBitmapHandle@@YAXGPAPAUHBITMAP__@@000@Z"
#endif
// The assembler symbol of a decorated name: quoted, with the target's label
// prefix (i686 symbols begin with an underscore).
#define SMAPI_STRING_(x) #x
#define SMAPI_SYMBOL_(prefix, name) "\"" SMAPI_STRING_(prefix) name "\""
#define SMAPI_SYMBOL(name) SMAPI_SYMBOL_(__USER_LABEL_PREFIX__, name)

// Background bitmap of id, or null.
HBITMAP SMAPI_GetResourceBitmapHandle(WORD id) __asm__(SMAPI_SYMBOL(SMAPI_BITMAP_NAME));
// Face set of id: normal, hover, pressed, disabled; a face whose bitmap is
// missing comes back null.
void SMAPI_GetResourceBitmapHandle(WORD id, HBITMAP* normal, HBITMAP* hover, HBITMAP* pressed,
                                   HBITMAP* disabled) __asm__(SMAPI_SYMBOL(SMAPI_FACE_SET_NAME));

// Export names of the two overloads, for programs that load a skin library at
// run time (the linker resolves them from the declarations above otherwise).
inline constexpr char kSmapiBitmapExport[] = SMAPI_BITMAP_NAME;
inline constexpr char kSmapiFaceSetExport[] = SMAPI_FACE_SET_NAME;

// Skin code of Lumora; the site manager's login marks its request when its
// skin library answers it.
inline constexpr DWORD kLumoraSkinCode = 0x4B414C54;
