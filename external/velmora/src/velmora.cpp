// Velmora: the common skin functions over its table (smapi_module.cpp) and
// its text, icon and colour look-ups.
#include "velmora.h"

#include <string_view>

#include "smapi_module.h"
#include "velmora_data.h"

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::string_view LanguageText() {
  HMODULE module = SkinModule();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(velmora::kLanguageResource), MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  return data ? std::string_view(data, SizeofResource(module, found)) : std::string_view();
}

std::u16string_view View(const wchar_t* s) {
  return s ? std::u16string_view(reinterpret_cast<const char16_t*>(s)) : std::u16string_view();
}

// Text of a numbered entry ([NAME] or [HELP]) into a buffer of units, "" when there is none.
void NumberedText(const char16_t* section, WORD id, wchar_t* out, size_t units) {
  std::u16string key;
  for (char c : std::to_string(id)) key += char16_t(c);
  std::optional<std::u16string> text = velmora::FindText(LanguageText(), section, key);
  velmora::CopyBounded(reinterpret_cast<char16_t*>(out), units, text ? *text : u"");
}

}  // namespace

const skin::SkinTable& ThisSkin() { return velmora::kSkin; }

DWORD SMAPI_GetProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText,
                             wchar_t* out) {
  std::optional<std::u16string> text;
  if (section && key) text = velmora::FindText(LanguageText(), View(section), View(key));
  return DWORD(velmora::CopyBounded(reinterpret_cast<char16_t*>(out), kProfileStringUnits,
                                    text ? std::u16string_view(*text) : View(defaultText)));
}

void SMAPI_GetResourceNameString(WORD id, wchar_t* out) { NumberedText(u"NAME", id, out, kNameStringUnits); }

void SMAPI_GetResourceHelpString(WORD id, wchar_t* out) { NumberedText(u"HELP", id, out, kHelpStringUnits); }

HICON SMAPI_GetResourceIconHandle(WORD id) {
  return id == velmora::kIconResource ? LoadIconW(SkinModule(), MAKEINTRESOURCEW(velmora::kIconResource)) : nullptr;
}

void SMAPI_GetTextColorValue(WORD id, COLORREF* colour) {
  if (!colour) return;
  if (std::optional<uint32_t> c = velmora::TextColour(id)) *colour = *c;
}
