// Lumora: every identifier the player requests answers with its kind of
// entry, and the artwork keeps the programs' colour keys where they belong.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "bitmap_pixels.h"
#include "smapi.h"

namespace {

const HBITMAP kSentinel = reinterpret_cast<HBITMAP>(uintptr_t(0x5EED));
constexpr uint32_t kBlue = 0x0000FF, kRed = 0xFF0000;

bool IsMagentaKey(uint32_t c) { return (c >> 16) == 0xFF && (c & 0xFF) == 0xFF && ((c >> 8) & 0xFF) <= 16; }

enum Kind { kRect = 1, kBitmap = 2, kFaces = 4, kAlt = 8 };

struct Request {
  int first, last;
  int kinds;
};

// The identifiers the player asks for, and what it asks of them.
const Request kRequests[] = {
    {0, 0, kRect | kBitmap},       {1, 2, kRect | kFaces | kAlt},   {3, 9, kRect | kFaces},
    {11, 12, kRect | kFaces},      {13, 16, kRect | kFaces | kAlt}, {29, 30, kRect | kFaces},
    {33, 37, kRect | kFaces},      {38, 38, kRect},                 {39, 40, kRect | kBitmap},
    {41, 47, kRect | kFaces | kAlt}, {48, 48, kBitmap},             {49, 61, kRect},
    {63, 69, kRect},               {73, 75, kRect},                 {256, 256, kRect | kBitmap},
    {257, 268, kRect | kFaces},    {512, 512, kRect | kBitmap},     {513, 514, kRect | kFaces},
    {516, 519, kRect},
};

using Faces = std::array<HBITMAP, 4>;

Faces FaceSet(WORD id, bool alternate) {
  Faces f = {kSentinel, kSentinel, kSentinel, kSentinel};
  if (alternate)
    SMAPI_GetResourceBitmapHandleEx(id, &f[0], &f[1], &f[2], &f[3]);
  else
    SMAPI_GetResourceBitmapHandle(id, &f[0], &f[1], &f[2], &f[3]);
  return f;
}

RECT Rect(WORD id) {
  RECT r = {-1, -1, -1, -1};
  SMAPI_GetResourceRect(id, &r);
  return r;
}

TEST(LumoraPlayer, EveryRequestedIdentifierAnswersItsKinds) {
  for (const Request& q : kRequests) {
    for (int id = q.first; id <= q.last; ++id) {
      if (id == 62) continue;  // not requested (59-61, 63 are)
      SCOPED_TRACE("id " + std::to_string(id));
      RECT r = Rect(WORD(id));
      if (q.kinds & kRect) {
        EXPECT_GT(r.right, r.left);
        EXPECT_GT(r.bottom, r.top);
      }
      if (q.kinds & kBitmap) {
        Pixels p = TakePixels(SMAPI_GetResourceBitmapHandle(WORD(id)));
        ASSERT_GT(p.width, 0);
        if (q.kinds & kRect) {  // a background covers its rectangle
          EXPECT_GE(p.width, r.right - r.left);
          EXPECT_GE(p.height, r.bottom - r.top);
        }
      }
      for (bool alternate : {false, true}) {
        if (!(q.kinds & (alternate ? kAlt : kFaces))) continue;
        // Every face is drawn as the top-left part of the rectangle's size.
        for (HBITMAP b : FaceSet(WORD(id), alternate)) {
          ASSERT_NE(b, kSentinel);
          Pixels p = TakePixels(b);
          EXPECT_GE(p.width, r.right - r.left);
          EXPECT_GE(p.height, r.bottom - r.top);
        }
      }
    }
  }
}

TEST(LumoraPlayer, EntriesOnlyWhereTheyAreMeant) {
  // Plain buttons have no alternate set; rectangles-only identifiers no faces.
  for (WORD id : {3, 4, 9, 29, 37, 60, 257, 513}) EXPECT_EQ(FaceSet(id, true)[0], kSentinel) << id;
  for (WORD id : {0, 10, 38, 48, 60, 516, 519}) EXPECT_EQ(FaceSet(id, false)[0], kSentinel) << id;
  for (WORD id : {1, 10, 60, 257, 519}) EXPECT_EQ(SMAPI_GetResourceBitmapHandle(id), nullptr) << id;
  RECT r = {1, 2, 3, 4};
  SMAPI_GetResourceRect(10, &r);
  EXPECT_EQ(r.left, 1);
  SMAPI_GetResourceRect(0, nullptr);
}

TEST(LumoraPlayer, PanelLayoutForThePlayer) {
  RECT panel = Rect(0), video = Rect(60);
  EXPECT_LE(panel.right, 1024);
  EXPECT_LE(panel.bottom, 768);
  int w = video.right - video.left, h = video.bottom - video.top;
  EXPECT_EQ(w % 4, 0);
  EXPECT_EQ(h % 4, 0);
  EXPECT_EQ(w * 3, h * 4);
  Pixels strip = TakePixels(SMAPI_GetResourceBitmapHandle(48));
  EXPECT_EQ(strip.width, 132);  // digits at 9d, colon at 90, two 18-wide glyphs at 96 and 114
  EXPECT_EQ(strip.height, 12);
  RECT clock = Rect(58);
  EXPECT_EQ(clock.right - clock.left, 84);
  EXPECT_EQ(clock.bottom - clock.top, 12);
}

// Every bitmap the library hands out, with what the test calls it.
struct Named {
  std::string name;
  Pixels pixels;
};

std::vector<Named> AllBitmaps() {
  std::vector<Named> all;
  for (int id = 0; id <= 600; ++id) {
    if (HBITMAP b = SMAPI_GetResourceBitmapHandle(WORD(id)))
      all.push_back({"bitmap " + std::to_string(id), TakePixels(b)});
    for (bool alternate : {false, true}) {
      Faces f = FaceSet(WORD(id), alternate);
      if (f[0] == kSentinel) continue;
      for (int i = 0; i < 4; ++i)
        all.push_back({(alternate ? "alternate " : "faces ") + std::to_string(id) + "/" + std::to_string(i),
                       TakePixels(f[i])});
    }
  }
  return all;
}

TEST(LumoraPlayer, ColourKeysOnlyWhereTheProgramsUseThem) {
  RECT video = Rect(60);
  for (const Named& n : AllBitmaps()) {
    SCOPED_TRACE(n.name);
    const Pixels& p = n.pixels;
    const bool panel = n.name == "bitmap 0", thumb = n.name.rfind("faces 37/", 0) == 0;
    int blue = 0, red = 0, badBlue = 0, badRed = 0, magenta = 0;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        uint32_t c = p.at(x, y);
        bool inVideo = x >= video.left && x < video.right && y >= video.top && y < video.bottom;
        if (c == kBlue) ++blue, badBlue += !(panel && inVideo);
        if (c == kRed) ++red, badRed += !thumb;
        magenta += IsMagentaKey(c);
        if (panel && inVideo) EXPECT_EQ(c, kBlue) << x << "," << y;
      }
    }
    EXPECT_EQ(badBlue, 0) << "pure blue outside the video area";
    EXPECT_EQ(badRed, 0) << "pure red outside the slider thumb";
    EXPECT_EQ(magenta, 0);
    if (thumb) {  // the knob's surround is left out when it is drawn
      EXPECT_EQ(p.at(0, 0), kRed);
      EXPECT_EQ(p.at(p.width - 1, p.height - 1), kRed);
      EXPECT_NE(p.at(p.width / 2, p.height / 2), kRed);
    }
  }
}

TEST(LumoraPlayer, NewHandlesOnEveryCallAndSkinCode) {
  Faces a = FaceSet(45, true), b = FaceSet(45, true);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NE(a[i], b[i]);
    EXPECT_TRUE(DeleteObject(a[i]));
    EXPECT_TRUE(DeleteObject(b[i]));
  }
  EXPECT_EQ(SMAPI_GetSkinCode(), kLumoraSkinCode);
}

}  // namespace
