// LumoraBackup: the network backup window's data set through the SMAPI_
// functions, and its bitmap resources.
#include <gtest/gtest.h>

#include <array>

#include "bitmap_pixels.h"
#include "smapi.h"

namespace {

const HBITMAP kSentinel = reinterpret_cast<HBITMAP>(uintptr_t(0x5EED));

HMODULE Library() { return GetModuleHandleW(L"LumoraBackup.dll"); }

using Faces = std::array<HBITMAP, 4>;

Faces FaceSet(WORD id, bool alternate = false) {
  Faces f = {kSentinel, kSentinel, kSentinel, kSentinel};
  (alternate ? SMAPI_GetResourceBitmapHandleEx : static_cast<void (*)(WORD, HBITMAP*, HBITMAP*, HBITMAP*, HBITMAP*)>(
                                                     SMAPI_GetResourceBitmapHandle))(id, &f[0], &f[1], &f[2], &f[3]);
  return f;
}

bool Untouched(const Faces& f) { return f == Faces{kSentinel, kSentinel, kSentinel, kSentinel}; }

void Delete(const Faces& f) {
  for (HBITMAP b : f)
    if (b && b != kSentinel) EXPECT_TRUE(DeleteObject(b));
}

// The four faces read back, compared with resources base to base + 3.
void ExpectFacesAreResources(WORD id, int base) {
  Faces f = FaceSet(id);
  for (int i = 0; i < 4; ++i) {
    HBITMAP direct = static_cast<HBITMAP>(LoadImageW(Library(), MAKEINTRESOURCEW(base + i), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(direct, nullptr);
    Pixels want = TakePixels(direct);
    Pixels got = TakePixels(f[i]);
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.rgb, want.rgb) << "id " << id << " face " << i << " is not resource " << base + i;
  }
}

TEST(LumoraBackup, RectanglesOfTheTables) {
  struct Case {
    WORD id;
    RECT rect;
  };
  const Case cases[] = {
      {0, {0, 0, 704, 473}},         {1, {0, 0, 500, 380}},         {2, {578, 428, 692, 455}},
      {10, {419, 128, 482, 154}},    {31, {450, 428, 564, 455}},    {0x1000, {501, 3, 689, 23}},
      {0x100E, {469, 315, 676, 340}}, {0x2003, {178, 164, 271, 186}}, {0x2008, {422, 233, 451, 256}},
      {0x200D, {422, 265, 451, 288}},
      // Spin arrows: up above down, columns 230 285 339 399 455, start and end rows.
      {11, {230, 232, 242, 243}},    {12, {230, 245, 242, 256}},    {17, {399, 232, 411, 243}},
      {19, {455, 232, 467, 243}},    {20, {455, 245, 467, 256}},    {21, {230, 264, 242, 275}},    {28, {399, 277, 411, 288}},
      {29, {455, 264, 467, 275}},    {30, {455, 277, 467, 288}},
  };
  for (const Case& c : cases) {
    RECT r = {-1, -1, -1, -1};
    SMAPI_GetResourceRect(c.id, &r);
    EXPECT_TRUE(EqualRect(&r, &c.rect)) << "id " << c.id << ": " << r.left << "," << r.top << "," << r.right << ","
                                        << r.bottom;
  }
}

TEST(LumoraBackup, IdentifiersWithoutRectangleLeaveItUntouched) {
  for (WORD id : {WORD(0x0FFF), WORD(0x100F), WORD(0x2000 + 14), WORD(32), WORD(0xFFFF)}) {
    RECT r = {7, 8, 9, 10};
    SMAPI_GetResourceRect(id, &r);
    EXPECT_EQ(r.left, 7);
    EXPECT_EQ(r.top, 8);
    EXPECT_EQ(r.right, 9);
    EXPECT_EQ(r.bottom, 10) << "id " << id;
  }
  SMAPI_GetResourceRect(0x1000, nullptr);  // ignored
}

TEST(LumoraBackup, SharedFaceSets) {
  ExpectFacesAreResources(12, 131);
  ExpectFacesAreResources(30, 131);
  ExpectFacesAreResources(11, 135);
  ExpectFacesAreResources(29, 135);
  ExpectFacesAreResources(2, 107);
  ExpectFacesAreResources(9, 107);
}

TEST(LumoraBackup, FaceSetsExistExactlyForIdentifiers2To31) {
  for (int id = 0; id <= 0xFFFF; ++id) {
    Faces f = FaceSet(WORD(id));
    bool expected = id >= 2 && id <= 31;
    EXPECT_EQ(!Untouched(f), expected) << "id " << id;
    if (expected && id != 31) {
      RECT r = {};
      SMAPI_GetResourceRect(WORD(id), &r);
      for (HBITMAP b : f) {
        Pixels p = ReadPixels(b);
        EXPECT_EQ(p.width, r.right - r.left) << "id " << id;
        EXPECT_EQ(p.height, r.bottom - r.top) << "id " << id;
      }
    }
    Delete(f);
  }
}

TEST(LumoraBackup, AlternateFaceSetsOnlyFor4And6) {
  for (int id = 0; id <= 0xFFFF; ++id) {
    Faces f = FaceSet(WORD(id), true);
    EXPECT_EQ(!Untouched(f), id == 4 || id == 6) << "id " << id;
    Delete(f);
  }
  ExpectFacesAreResources(2, 107);  // the plain set of a toggle stays as it is
}

TEST(LumoraBackup, AlternateFacesAreTheirResources) {
  for (auto [id, base] : {std::pair{4, 147}, std::pair{6, 143}}) {
    Faces f = FaceSet(WORD(id), true);
    for (int i = 0; i < 4; ++i) {
      Pixels want = TakePixels(
          static_cast<HBITMAP>(LoadImageW(Library(), MAKEINTRESOURCEW(base + i), IMAGE_BITMAP, 0, 0, 0)));
      EXPECT_EQ(TakePixels(f[i]).rgb, want.rgb) << "id " << id;
    }
  }
}

TEST(LumoraBackup, MissingFacesOf31ComeBackNull) {
  Faces f = FaceSet(31);
  for (HBITMAP b : f) EXPECT_EQ(b, nullptr);
}

TEST(LumoraBackup, BackgroundsOnlyFor0And1) {
  for (int id = 0; id <= 0xFFFF; ++id) {
    HBITMAP b = SMAPI_GetResourceBitmapHandle(WORD(id));
    if (id > 1) {
      EXPECT_EQ(b, nullptr) << "id " << id;
      continue;
    }
    Pixels p = TakePixels(b);
    EXPECT_EQ(p.width, id == 0 ? 704 : 500);
    EXPECT_EQ(p.height, id == 0 ? 473 : 380);
  }
}

TEST(LumoraBackup, EveryCallGivesNewHandlesForTheCallerToDelete) {
  Faces a = FaceSet(6), b = FaceSet(6);
  for (int i = 0; i < 4; ++i) EXPECT_NE(a[i], b[i]);
  Delete(a);
  Delete(b);
  HBITMAP x = SMAPI_GetResourceBitmapHandle(0), y = SMAPI_GetResourceBitmapHandle(0);
  EXPECT_NE(x, y);
  EXPECT_TRUE(DeleteObject(x));
  EXPECT_TRUE(DeleteObject(y));
}

BOOL CALLBACK CountBitmap(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR count) {
  EXPECT_TRUE(IS_INTRESOURCE(name));
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(LumoraBackup, FiftyBitmapResources8BitBottomUpUncompressed) {
  int count = 0;
  EnumResourceNamesW(Library(), MAKEINTRESOURCEW(2) /* RT_BITMAP */, CountBitmap, LONG_PTR(&count));
  EXPECT_EQ(count, 50);
  for (int id = 101; id <= 154; ++id) {
    HRSRC found = FindResourceW(Library(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));
    if (id > 150) {
      EXPECT_EQ(found, nullptr) << id;
      continue;
    }
    ASSERT_NE(found, nullptr) << id;
    auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Library(), found)));
    EXPECT_EQ(header->biBitCount, 8) << id;
    EXPECT_EQ(header->biCompression, DWORD(BI_RGB)) << id;
    EXPECT_GT(header->biHeight, 0) << id;  // bottom-up
    EXPECT_TRUE(header->biClrUsed == 0 || header->biClrUsed == 256) << id;
  }
}

TEST(LumoraBackup, SkinCodeAndExportNames) {
  EXPECT_EQ(SMAPI_GetSkinCode(), kLumoraSkinCode);
  // The overloads under their C++ names, as a program that loads the library finds them.
  auto single = reinterpret_cast<HBITMAP (*)(WORD)>(GetProcAddress(Library(), kSmapiBitmapExport));
  auto faces = reinterpret_cast<void (*)(WORD, HBITMAP*, HBITMAP*, HBITMAP*, HBITMAP*)>(
      GetProcAddress(Library(), kSmapiFaceSetExport));
  ASSERT_NE(single, nullptr);
  ASSERT_NE(faces, nullptr);
  EXPECT_EQ(TakePixels(single(1)).width, 500);
  Faces f = {kSentinel, kSentinel, kSentinel, kSentinel};
  faces(10, &f[0], &f[1], &f[2], &f[3]);
  EXPECT_EQ(TakePixels(f[0]).width, 63);
  for (int i = 1; i < 4; ++i) DeleteObject(f[i]);
}

}  // namespace
