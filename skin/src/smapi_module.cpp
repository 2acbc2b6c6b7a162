#include "smapi_module.h"

#include "smapi.h"

namespace {

HMODULE g_module = nullptr;  // written once, while the library is loaded

// A new bitmap from the module's resources, or null when it has none.
HBITMAP LoadSkinBitmap(uint16_t resource) {
  return static_cast<HBITMAP>(
      LoadImageW(g_module, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

void WriteFaces(std::span<const skin::ResourceEntry> table, WORD id, HBITMAP* normal, HBITMAP* hover,
                HBITMAP* pressed, HBITMAP* disabled) {
  std::optional<uint16_t> base = skin::FindEntry(table, id);
  if (!base) return;
  HBITMAP* out[skin::kFacesPerSet] = {normal, hover, pressed, disabled};
  for (int i = 0; i < skin::kFacesPerSet; ++i)
    if (out[i]) *out[i] = LoadSkinBitmap(static_cast<uint16_t>(*base + i));
}

}  // namespace

// The overloads' decorated names differ by bitness, so the linker is told to
// export them here rather than in the libraries' .def files.
__asm__(".section .drectve\n"
        "\t.ascii \" -export:\\\"" SMAPI_BITMAP_NAME "\\\" -export:\\\"" SMAPI_FACE_SET_NAME "\\\"\"\n"
        "\t.text");

HMODULE SkinModule() { return g_module; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

void SMAPI_GetResourceRect(WORD id, RECT* rect) {
  if (!rect) return;
  if (std::optional<skin::Rect> r = skin::FindRect(ThisSkin(), id))
    *rect = RECT{r->left, r->top, r->right, r->bottom};
}

HBITMAP SMAPI_GetResourceBitmapHandle(WORD id) {
  std::optional<uint16_t> resource = skin::FindEntry(ThisSkin().bitmaps, id);
  return resource ? LoadSkinBitmap(*resource) : nullptr;
}

void SMAPI_GetResourceBitmapHandle(WORD id, HBITMAP* normal, HBITMAP* hover, HBITMAP* pressed,
                                   HBITMAP* disabled) {
  WriteFaces(ThisSkin().faces, id, normal, hover, pressed, disabled);
}

void SMAPI_GetResourceBitmapHandleEx(WORD id, HBITMAP* normal, HBITMAP* hover, HBITMAP* pressed,
                                     HBITMAP* disabled) {
  WriteFaces(ThisSkin().altFaces, id, normal, hover, pressed, disabled);
}

DWORD SMAPI_GetSkinCode() { return ThisSkin().skinCode; }
