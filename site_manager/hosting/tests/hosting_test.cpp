// The host windows inside the real Ostra.exe with the registered stand-in
// controls, driven with real input against the recorder simulator: what
// each control receives and in which order, sites that pass nothing, an
// unregistered control, keys that do nothing, the system close, and
// controls that fault.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ostra_folder.h"
#include "ostra_messages.h"
#include "velmora.h"

namespace {

using namespace ostra;

constexpr int kList = 1050, kSelect = 1054, kPassword = 2064, kLogin = 2065;

struct Function {
  WORD skinId;  // of the launcher's button, and the skin's name string of its host's title
  int controlId;
  const char* name;
};
constexpr Function kRemoteSetup{2, 2005, "remote_setup"}, kLiveView{3, 2002, "live_view"},
    kBackup{4, 2003, "backup"}, kPlayer{5, 2004, "remote_playback"}, kSearch{6, 2006, "search"};

std::wstring TitleOf(const Function& f) {
  wchar_t title[kNameStringUnits] = {};
  SMAPI_GetResourceNameString(f.skinId, title);
  return title;
}

std::wstring LogPath() { return TestFolder() + L"\\remote_controls.log"; }

std::vector<std::string> LogLines() {
  std::string text;
  HANDLE file = CreateFileW(LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got) text.append(chunk, got);
    CloseHandle(file);
  }
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The stand-ins' log, and a fault on request, for the Ostra started next.
struct ControlEnvironment {
  explicit ControlEnvironment(const wchar_t* fault = nullptr) {
    DeleteFileW(LogPath().c_str());
    SetEnvironmentVariableW(L"REMOTE_CONTROLS_LOG", LogPath().c_str());
    SetEnvironmentVariableW(L"REMOTE_CONTROLS_FAULT", fault);
  }
  ~ControlEnvironment() {
    SetEnvironmentVariableW(L"REMOTE_CONTROLS_LOG", nullptr);
    SetEnvironmentVariableW(L"REMOTE_CONTROLS_FAULT", nullptr);
  }
};

bool Centred(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2) <= 1 &&
         std::abs((r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2) <= 1;
}

struct Session {
  OstraFolder ostra;
  HWND launcher = nullptr;

  explicit Session(const std::string& sites) : ostra(sites) { launcher = ostra.Launch(); }
  DWORD Pid() const { return ostra.Pid(0); }

  bool LogIn(const std::wstring& password) {
    uidriver::Click(Centre(LauncherRect(launcher, 1)));
    HWND setup = WaitDialogWith(Pid(), kList);
    if (!setup) return false;
    HWND list = GetDlgItem(setup, kList);
    RECT header;
    GetWindowRect(FindWindowExW(list, nullptr, L"SysHeader32", nullptr), &header);
    uidriver::Click({header.left + 60, header.bottom + 8});
    Sleep(100);
    ClickControl(setup, kSelect);
    HWND login = WaitDialogWith(Pid(), kPassword);
    if (!login) return false;
    TypeInto(login, kPassword, password);
    ClickControl(login, kLogin);
    return uidriver::WaitUntil([&] { return !IsWindow(login) && !IsWindow(setup) && IsWindowVisible(launcher); }, 5000);
  }

  // Clicks a function's button; its host once its control is in it, or null.
  HWND Open(const Function& f) {
    uidriver::MoveTo({5, 5});
    uidriver::Click(Centre(LauncherRect(launcher, f.skinId)));
    HWND host = nullptr;
    uidriver::WaitUntil([&] {
      host = DialogWith(Pid(), f.controlId);
      return host && IsWindowVisible(GetDlgItem(host, f.controlId)) && !IsWindowVisible(launcher);
    }, 5000);
    return host;
  }
  bool LauncherBack() const {
    return uidriver::WaitUntil([&] { return IsWindowVisible(launcher) && IsWindowEnabled(launcher); }, 5000) &&
           Centred(launcher);
  }
  void Shot(const wchar_t* name) const {
    uidriver::SavePng(uidriver::Capture({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}),
                      TestFolder() + L"\\" + name);
  }
};

std::string WithPassword(std::string sites, const std::string& password) {
  const size_t at = sites.find("PWD=");
  return sites.insert(at + 4, password);
}

TEST(Hosting, EachFunctionHandsTheSiteToItsControlInItsOrderAndClosesBackToTheLauncher) {
  ControlEnvironment environment;
  Simulator recorder(L"recorder_sim.exe", L"--user ADMIN:1111");
  ASSERT_GT(recorder.Port(), 0);
  const std::string port = std::to_string(recorder.Port());
  Session s(WithPassword(SiteListOf({"127.0.0.1," + port + ",ADMIN"}), "1111"));
  ASSERT_NE(s.launcher, nullptr);
  ASSERT_TRUE(s.LogIn(L"1111"));

  const struct {
    Function function;
    std::vector<std::string> lines;
  } cases[] = {
      {kLiveView, {"put 1 BSTR 127.0.0.1", "put 2 BSTR " + port, "put 3 BSTR ADMIN", "put 4 BSTR 1111", "invoke 5"}},
      {kBackup, {"put 1 BSTR 127.0.0.1", "put 2 BSTR " + port, "put 3 BSTR ADMIN", "put 4 BSTR 1111", "invoke 5"}},
      {kSearch, {"put 1 BSTR " + port, "put 2 BSTR 127.0.0.1", "put 3 BSTR ADMIN", "put 4 BSTR 1111", "invoke 5"}},
      {kRemoteSetup, {"put 1 BSTR 127.0.0.1", "put 2 UI4 " + port, "put 3 BSTR ADMIN", "put 4 BSTR 1111", "invoke 5"}},
      {kPlayer, {}},
  };
  for (const auto& c : cases) {
    DeleteFileW(LogPath().c_str());
    HWND host = s.Open(c.function);
    ASSERT_NE(host, nullptr) << c.function.name;
    std::vector<std::string> expected{std::string(c.function.name) + " created"};
    for (const std::string& line : c.lines) expected.push_back(std::string(c.function.name) + " " + line);
    EXPECT_EQ(LogLines(), expected);
    EXPECT_TRUE(Centred(host)) << c.function.name;
    EXPECT_EQ(TextOf(host), TitleOf(c.function));
    EXPECT_EQ(TextOf(GetDlgItem(host, c.function.controlId)), TitleOf(c.function));
    if (c.function.skinId == kLiveView.skinId) {
      s.Shot(L"hosting_live_view.png");
      // The stand-in asks its host to close on any key: Enter, Escape and
      // Space never reach it, in the host or in the control.
      for (bool inControl : {false, true}) {
        if (inControl) uidriver::Click(uidriver::OnScreen(host, POINT{200, 200}));
        for (WORD key : {VK_RETURN, VK_ESCAPE, VK_SPACE}) {
          uidriver::PressKey(key);
          Sleep(200);
          EXPECT_TRUE(IsWindowVisible(host)) << key;
          EXPECT_FALSE(IsWindowVisible(s.launcher)) << key;
        }
      }
      uidriver::PressKey('X');  // the host closes on the control's request
      ASSERT_TRUE(s.LauncherBack());
      EXPECT_FALSE(IsWindow(host));
      continue;
    }
    if (c.function.skinId == kBackup.skinId) s.Shot(L"hosting_backup.png");
    // The system's close command.
    PostMessageW(host, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(s.LauncherBack()) << c.function.name;
    EXPECT_FALSE(IsWindow(host)) << c.function.name;
  }
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

// The first site of the list is the launcher's; the functions are unlocked
// with the login's own message.
TEST(Hosting, APortOutOfRangeOpensWithoutDataNowAndForEveryLaterOpening) {
  for (const char* port : {"0", "65531"}) {
    ControlEnvironment environment;
    Session s(SiteListOf({std::string("127.0.0.1,") + port + ",ADMIN"}));
    ASSERT_NE(s.launcher, nullptr);
    SendMessageW(s.launcher, UM_SETFUNCTIONS, 0xFFFFFFFF, 0);
    for (const Function& f : {kLiveView, kSearch}) {
      DeleteFileW(LogPath().c_str());
      HWND host = s.Open(f);
      ASSERT_NE(host, nullptr) << port;
      EXPECT_EQ(LogLines(), std::vector<std::string>{std::string(f.name) + " created"}) << port;
      PostMessageW(host, WM_CLOSE, 0, 0);
      ASSERT_TRUE(s.LauncherBack());
    }
    EXPECT_TRUE(s.ostra.Cancel(s.launcher));
  }
}

// Takes the stand-ins' registration away while it lives.
struct Unregistered {
  HMODULE dll = LoadLibraryW((TestFolder() + L"\\remote_controls.dll").c_str());
  bool Call(const char* name) const {
    auto fn = reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(dll, name));
    return fn && SUCCEEDED(fn());
  }
  Unregistered() { Call("DllUnregisterServer"); }
  ~Unregistered() {
    Call("DllRegisterServer");
    FreeLibrary(dll);
  }
};

TEST(Hosting, AnUnregisteredControlClosesItsHostAtOnce) {
  ControlEnvironment environment;
  Session s(SiteListOf({"127.0.0.1,50000,ADMIN"}));
  ASSERT_NE(s.launcher, nullptr);
  {
    Unregistered gone;
    ASSERT_NE(gone.dll, nullptr);
    uidriver::Click(Centre(LauncherRect(s.launcher, kPlayer.skinId)));
    Sleep(500);
    EXPECT_TRUE(s.LauncherBack());
    EXPECT_EQ(DialogWith(s.Pid(), kPlayer.controlId), nullptr);
  }
  EXPECT_EQ(LogLines(), std::vector<std::string>{});
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

TEST(Hosting, AControlThatFaultsLeavesTheLauncherUsable) {
  {  // inside method 5
    ControlEnvironment environment(L"invoke");
    Session s(SiteListOf({"127.0.0.1,50000,ADMIN"}));
    ASSERT_NE(s.launcher, nullptr);
    SendMessageW(s.launcher, UM_SETFUNCTIONS, 0xFFFFFFFF, 0);
    uidriver::Click(Centre(LauncherRect(s.launcher, kLiveView.skinId)));
    ASSERT_TRUE(uidriver::WaitUntil([] { return !LogLines().empty() && LogLines().back() == "live_view invoke 5"; }, 5000));
    EXPECT_TRUE(s.LauncherBack());
    EXPECT_TRUE(s.ostra.Running(0));
    // Usable: the player opens and closes as before.
    HWND host = s.Open(kPlayer);
    ASSERT_NE(host, nullptr);
    PostMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_TRUE(s.LauncherBack());
    EXPECT_TRUE(s.ostra.Cancel(s.launcher));
  }
  {  // inside the control's window procedure, on a click
    ControlEnvironment environment(L"window");
    Session s(SiteListOf({"127.0.0.1,50000,ADMIN"}));
    ASSERT_NE(s.launcher, nullptr);
    HWND host = s.Open(kPlayer);
    ASSERT_NE(host, nullptr);
    uidriver::Click(uidriver::OnScreen(host, POINT{100, 100}));
    EXPECT_TRUE(s.LauncherBack());
    EXPECT_TRUE(s.ostra.Running(0));
    host = s.Open(kPlayer);
    ASSERT_NE(host, nullptr);
    PostMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_TRUE(s.LauncherBack());
    EXPECT_TRUE(s.ostra.Cancel(s.launcher));
  }
}

}  // namespace
