// Ostra.exe itself, copied with its skin library into a folder of its own
// and driven with real mouse and keyboard input: one instance at a time, the
// shaped window with its texts, help on hover, keys that do nothing, the
// about box, and Cancel.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "launcher_texts.h"
#include "ostra_folder.h"
#include "skin_rect.h"
#include "velmora.h"
#include "win32/dib.h"

namespace {

using ostra::Centre;
using ostra::TextOf;
using ostra::WindowOf;

using skin::SkinRect;

using uidriver::Click;

bool WaitFor(const std::function<bool()>& found, int ms = 5000) { return uidriver::WaitUntil(found, ms); }

// Pixels (0x00RRGGBB, rows top first) of a screen rectangle, or of a
// rectangle of a bitmap selected into dc.
std::vector<uint32_t> Grab(HDC dc, RECT r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC mem = CreateCompatibleDC(dc);
  void* bits = nullptr;
  HBITMAP bitmap = win32::CreateTopDownDib32(dc, w, h, &bits);
  HGDIOBJ old = SelectObject(mem, bitmap);
  BitBlt(mem, 0, 0, w, h, dc, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(w) * h);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  return pixels;
}

// The launcher's background with texts drawn as the launcher draws them,
// read back at a skin rectangle.
std::vector<uint32_t> Expected(RECT at, std::initializer_list<std::pair<std::wstring, WORD>> texts) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  RECT all = SkinRect(0);
  HBITMAP canvas = CreateCompatibleBitmap(screen, all.right, all.bottom);
  HGDIOBJ old = SelectObject(mem, canvas);
  HBITMAP background = SMAPI_GetResourceBitmapHandle(0);
  HDC source = CreateCompatibleDC(screen);
  HGDIOBJ oldSource = SelectObject(source, background);
  BitBlt(mem, 0, 0, all.right, all.bottom, source, 0, 0, SRCCOPY);
  SelectObject(source, oldSource);
  DeleteDC(source);
  DeleteObject(background);
  SetBkMode(mem, TRANSPARENT);
  for (const auto& [text, id] : texts) {  // text colour and rectangle share the identifier
    COLORREF colour = 0;
    SMAPI_GetTextColorValue(id, &colour);
    SetTextColor(mem, colour);
    RECT r = SkinRect(id);
    DrawTextW(mem, text.c_str(), int(text.size()), &r, DT_VCENTER);
  }
  std::vector<uint32_t> pixels = Grab(mem, at);
  SelectObject(mem, old);
  DeleteObject(canvas);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Ostra in a folder of its own, and where its skin rectangles are on the screen.
class Ostra : public ostra::OstraFolder {
 public:
  using OstraFolder::OstraFolder;

  // A point of the launcher at skin coordinates, on the screen.
  static POINT At(HWND launcher, POINT skin) {
    RECT w;
    GetWindowRect(launcher, &w);
    return {w.left + skin.x, w.top + skin.y};
  }
  static RECT OnScreen(HWND launcher, RECT skin) {
    POINT tl = At(launcher, {skin.left, skin.top});
    return {tl.x, tl.y, tl.x + skin.right - skin.left, tl.y + skin.bottom - skin.top};
  }
  static std::vector<uint32_t> Screen(HWND launcher, RECT skin) {
    HDC screen = GetDC(nullptr);
    std::vector<uint32_t> pixels = Grab(screen, OnScreen(launcher, skin));
    ReleaseDC(nullptr, screen);
    return pixels;
  }
};

std::string SiteList(const std::string& ip) {
  return "[SETUP_INFO]\r\nNUMBER=2\r\n\r\n[DVR1]\r\nTYPE=0\r\nIP=" + ip + "\r\nPORT=50000\r\nID=admin\r\n";
}

TEST(Launcher, SecondCopyShowsTheMessageAndEndsWhileTheFirstRuns) {
  Ostra ostra;
  HWND launcher = ostra.Launch();
  ASSERT_NE(launcher, nullptr);
  size_t second = ostra.Start();
  ASSERT_NE(second, SIZE_MAX);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = WindowOf(ostra.Pid(second), L"#32770")) != nullptr; }));
  std::wstring text;
  HWND ok = nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (!wcscmp(name, L"Static") && !TextOf(child).empty()) text = TextOf(child);
    if (!wcscmp(name, L"Button")) ok = child;
  }
  EXPECT_EQ(text, L"Sorry!\r\nDouble Execution is not allowed.");
  ASSERT_NE(ok, nullptr);
  RECT r;
  GetWindowRect(ok, &r);
  Click(Centre(r));
  DWORD code = 1;
  EXPECT_TRUE(ostra.WaitExit(second, code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(ostra.Running(0));
  EXPECT_TRUE(IsWindowVisible(launcher));
  EXPECT_TRUE(ostra.Cancel(launcher));
}

TEST(Launcher, ShapedWithVersionAndTheFirstSitesTexts) {
  struct Case {
    std::string ip;
    std::wstring shown;
  } cases[] = {
      {"192.168.100.123a", L"IP : 192.168.100.123a "},   // 16 characters: whole
      {"192.168.100.123ab", L"IP : 192.168.100.123..."},  // 17: cut
  };
  for (const Case& c : cases) {
    Ostra ostra(SiteList(c.ip));
    HWND launcher = ostra.Launch();
    ASSERT_NE(launcher, nullptr);
    EXPECT_EQ(TextOf(launcher), L"  Ostra Site Manager");

    // The shape: the magenta corners of the background are cut away.
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetWindowRgn(launcher, shape), COMPLEXREGION);
    RECT all = SkinRect(0);
    EXPECT_FALSE(PtInRegion(shape, all.right - 3, 3));
    EXPECT_TRUE(PtInRegion(shape, 100, 100));
    DeleteObject(shape);
    RECT window;
    GetWindowRect(launcher, &window);
    EXPECT_EQ(window.right - window.left, all.right);
    EXPECT_EQ(window.bottom - window.top, all.bottom);

    const RECT texts = {SkinRect(11).left, SkinRect(11).top, SkinRect(12).right, SkinRect(12).bottom};
    const std::wstring id = L"ID : admin ";
    EXPECT_EQ(Ostra::Screen(launcher, texts), Expected(texts, {{id, 11}, {c.shown, 12}})) << c.ip;
    const std::wstring whole = L"IP : " + std::wstring(c.ip.begin(), c.ip.end()) + L" ";
    if (whole != c.shown) {
      EXPECT_NE(Ostra::Screen(launcher, texts), Expected(texts, {{id, 11}, {whole, 12}}));
    }
    EXPECT_EQ(Ostra::Screen(launcher, SkinRect(13)), Expected(SkinRect(13), {{L"Ver 1, 0, 1, 9", 13}}));
    EXPECT_TRUE(ostra.Cancel(launcher));
  }
}

TEST(Launcher, NoSiteNoSiteTexts) {
  Ostra ostra(SiteList(""));  // DVR1 without address
  HWND launcher = ostra.Launch();
  ASSERT_NE(launcher, nullptr);
  const RECT texts = {SkinRect(11).left, SkinRect(11).top, SkinRect(12).right, SkinRect(12).bottom};
  EXPECT_EQ(Ostra::Screen(launcher, texts), Expected(texts, {}));
  EXPECT_TRUE(ostra.Cancel(launcher));
}

TEST(Launcher, EnterEscapeAndSpaceDoNothing) {
  Ostra ostra;
  HWND launcher = ostra.Launch();
  ASSERT_NE(launcher, nullptr);
  ASSERT_EQ(GetForegroundWindow(), launcher);
  // Focus to Cancel with Tab, where Space or Enter would press it.
  HWND cancel = GetDlgItem(launcher, kCancelControl);
  DWORD thread = GetWindowThreadProcessId(launcher, nullptr);
  auto focus = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(thread, &info);
    return info.hwndFocus;
  };
  for (int i = 0; i < 8 && focus() != cancel; ++i) {
    uidriver::PressKey(VK_TAB);
    Sleep(100);
  }
  ASSERT_EQ(focus(), cancel);
  for (WORD key : {VK_SPACE, VK_RETURN, VK_ESCAPE}) {
    uidriver::PressKey(key);
    Sleep(300);
    EXPECT_TRUE(ostra.Running(0)) << key;
    EXPECT_TRUE(IsWindowVisible(launcher)) << key;
  }
  EXPECT_EQ(WindowOf(ostra.Pid(0)), launcher);  // nothing else opened
  EXPECT_TRUE(ostra.Cancel(launcher));
}

TEST(Launcher, HelpShowsAfterTheTimerAndGoesWhenTheMouseLeaves) {
  Ostra ostra;
  HWND launcher = ostra.Launch();
  ASSERT_NE(launcher, nullptr);
  // The help rectangle and the 10 pixels above it, where four lines reach.
  RECT help = SkinRect(10);
  RECT above = {help.left, help.top - 10, help.right, help.top};
  const std::vector<uint32_t> plain = Expected(help, {}), plainAbove = Expected(above, {});
  const POINT nowhere = Ostra::At(launcher, {100, 40});
  uidriver::MoveTo(nowhere);
  Sleep(200);
  ASSERT_EQ(Ostra::Screen(launcher, help), plain);

  // Wine notices that the mouse left a button on a timer of its own: wait
  // for the screen to settle rather than for a fixed time.
  auto screenBecomes = [&](RECT r, auto wanted) { return WaitFor([&] { return wanted(Ostra::Screen(launcher, r)); }, 2000); };
  auto is = [](const std::vector<uint32_t>& p) { return [&p](const std::vector<uint32_t>& s) { return s == p; }; };
  auto isNot = [](const std::vector<uint32_t>& p) { return [&p](const std::vector<uint32_t>& s) { return s != p; }; };

  uidriver::MoveTo(Ostra::At(launcher, Centre(SkinRect(1))));  // IP SETUP: three lines
  EXPECT_TRUE(screenBecomes(help, isNot(plain)));
  Sleep(200);
  const std::vector<uint32_t> ipSetup = Ostra::Screen(launcher, help);
  EXPECT_EQ(Ostra::Screen(launcher, above), plainAbove);

  uidriver::MoveTo(Ostra::At(launcher, Centre(SkinRect(4))));  // Web Backup, disabled: four lines
  EXPECT_TRUE(screenBecomes(above, isNot(plainAbove)));
  EXPECT_NE(Ostra::Screen(launcher, help), ipSetup);

  uidriver::MoveTo(nowhere);  // leaving the disabled button removes its box too
  EXPECT_TRUE(screenBecomes(help, is(plain)));
  EXPECT_TRUE(screenBecomes(above, is(plainAbove)));

  uidriver::MoveTo(Ostra::At(launcher, Centre(SkinRect(9))));  // Cancel has no help
  Sleep(400);
  EXPECT_EQ(Ostra::Screen(launcher, help), plain);
  EXPECT_TRUE(ostra.Cancel(launcher));
}

TEST(Launcher, AboutBoxFromTheSystemMenu) {
  Ostra ostra;
  HWND launcher = ostra.Launch();
  ASSERT_NE(launcher, nullptr);
  PostMessageW(launcher, WM_SYSCOMMAND, 0x0010, 0);
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    about = WindowOf(ostra.Pid(0), L"#32770");
    return about && about != launcher;
  }));
  EXPECT_EQ(TextOf(about), L"About X Ostra");
  wchar_t line[kHelpStringUnits];
  SMAPI_GetResourceHelpString(49, line);
  EXPECT_EQ(TextOf(GetDlgItem(about, 1101)), line);
  SMAPI_GetResourceHelpString(50, line);
  EXPECT_EQ(TextOf(GetDlgItem(about, 1102)), line);
  RECT ok;
  GetWindowRect(GetDlgItem(about, IDOK), &ok);
  Sleep(200);
  Click(Centre(ok));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }));
  EXPECT_TRUE(ostra.Running(0));
  EXPECT_TRUE(ostra.Cancel(launcher));
}

}  // namespace
