// The Velmora stand-in through its exports: the common skin functions with
// the site manager's identifiers, texts within the callers' buffers and with
// defaults when missing, icon, colours, and the launcher's shape keys.
#include "velmora.h"

#include <gtest/gtest.h>

#include <string>

#include "bitmap_pixels.h"

namespace {

bool IsShapeKey(uint32_t c) { return (c >> 16) == 0xFF && (c & 0xFF) == 0xFF && ((c >> 8) & 0xFF) <= 16; }

// A buffer of the caller's size with a guard area behind it.
template <int kUnits>
struct Guarded {
  wchar_t text[kUnits + 16];
  Guarded() { std::fill(std::begin(text), std::end(text), L'#'); }
  bool GuardIntact() const {
    for (int i = kUnits; i < kUnits + 16; ++i)
      if (text[i] != L'#') return false;
    return true;
  }
};

TEST(Velmora, ProfileStringFromLanguageOrDefault) {
  Guarded<kProfileStringUnits> out;
  EXPECT_EQ(SMAPI_GetProfileString(L"LOGIN", L"Socket", L"zz", out.text), 12u);
  EXPECT_STREQ(out.text, L"Fail Connect");
  SMAPI_GetProfileString(L"SETUP CONNECTION", L"DDNS Test", L"zz", out.text);
  EXPECT_STREQ(out.text, L"GET ADDRESS & PORT");
  SMAPI_GetProfileString(L"LOGIN", L"NoSuchKey", L"Default text", out.text);
  EXPECT_STREQ(out.text, L"Default text");
  SMAPI_GetProfileString(L"NO SECTION", L"Socket", L"Other default", out.text);
  EXPECT_STREQ(out.text, L"Other default");
  SMAPI_GetProfileString(L"LOGIN", L"NoSuchKey", nullptr, out.text);
  EXPECT_STREQ(out.text, L"");
  EXPECT_EQ(SMAPI_GetProfileString(L"LOGIN", L"Socket", L"x", nullptr), 0u);
  EXPECT_TRUE(out.GuardIntact());
}

TEST(Velmora, LongDefaultIsCutToTheCallersBuffer) {
  Guarded<kProfileStringUnits> out;
  std::wstring longText(300, L'x');
  EXPECT_EQ(SMAPI_GetProfileString(L"LOGIN", L"NoSuchKey", longText.c_str(), out.text), 97u);
  EXPECT_EQ(std::wstring(out.text), longText.substr(0, 97));
  EXPECT_TRUE(out.GuardIntact());
}

TEST(Velmora, NameAndHelpStrings) {
  for (WORD id = 1; id <= 6; ++id) {
    Guarded<kNameStringUnits> name;
    SMAPI_GetResourceNameString(id, name.text);
    EXPECT_GT(wcslen(name.text), 0u) << id;
    EXPECT_TRUE(name.GuardIntact());
  }
  Guarded<kNameStringUnits> none;
  SMAPI_GetResourceNameString(7, none.text);
  EXPECT_STREQ(none.text, L"");

  for (WORD id : {0, 1, 2, 3, 4, 5, 6, 48, 49, 50}) {
    Guarded<kHelpStringUnits> help;
    SMAPI_GetResourceHelpString(id, help.text);
    EXPECT_GT(wcslen(help.text), 0u) << id;
    EXPECT_TRUE(help.GuardIntact());
    if (id >= 1 && id <= 6) EXPECT_NE(std::wstring(help.text).find(L"\r\n"), std::wstring::npos) << id;
  }
  Guarded<kHelpStringUnits> help;
  SMAPI_GetResourceHelpString(9, help.text);
  EXPECT_STREQ(help.text, L"");
}

TEST(Velmora, IconAndTextColours) {
  EXPECT_NE(SMAPI_GetResourceIconHandle(48), nullptr);
  EXPECT_EQ(SMAPI_GetResourceIconHandle(1), nullptr);
  for (WORD id = 10; id <= 13; ++id) {
    COLORREF c = 0xFF000000;
    SMAPI_GetTextColorValue(id, &c);
    EXPECT_EQ(c & 0xFF000000, 0u) << id;
  }
  COLORREF untouched = 0x12345678;
  SMAPI_GetTextColorValue(14, &untouched);
  EXPECT_EQ(untouched, 0x12345678u);
  SMAPI_GetTextColorValue(10, nullptr);
}

TEST(Velmora, SkinEntriesOfTheSiteManager) {
  EXPECT_NE(SMAPI_GetSkinCode(), kLumoraSkinCode);  // unless built with VELMORA_LUMORA_SKIN_CODE
  EXPECT_EQ(GetProcAddress(GetModuleHandleW(L"Velmora.dll"), "SMAPI_GetResourceBitmapHandleEx"), nullptr);

  RECT panel = {};
  SMAPI_GetResourceRect(0, &panel);
  Pixels back = TakePixels(SMAPI_GetResourceBitmapHandle(0));
  EXPECT_EQ(back.width, panel.right);
  EXPECT_EQ(back.height, panel.bottom);
  EXPECT_TRUE(IsShapeKey(back.at(0, 0)));  // the corners are cut away
  EXPECT_TRUE(IsShapeKey(back.at(back.width - 1, 0)));

  for (WORD id : {1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13}) {
    RECT r = {-1, -1, -1, -1};
    SMAPI_GetResourceRect(id, &r);
    ASSERT_GT(r.right, r.left) << id;
    // Buttons and texts sit on the shape, never on a cut-away pixel.
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) ASSERT_FALSE(IsShapeKey(back.at(x, y))) << id << " at " << x << "," << y;
    if (id > 9) continue;
    HBITMAP f[4] = {};
    SMAPI_GetResourceBitmapHandle(id, &f[0], &f[1], &f[2], &f[3]);
    for (HBITMAP b : f) {
      Pixels p = TakePixels(b);
      EXPECT_EQ(p.width, r.right - r.left) << id;
      EXPECT_EQ(p.height, r.bottom - r.top) << id;
    }
  }
  for (WORD id = 32; id <= 36; ++id) {
    RECT r = {};
    SMAPI_GetResourceRect(id, &r);
    EXPECT_GT(r.right, 0) << id;
  }
}

}  // namespace
