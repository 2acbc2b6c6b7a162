// The site setup and site edit dialogs inside the real Ostra.exe, driven
// with real input: adding, cancelling and saving sites, the checks of the
// edit dialog, dynamic-DNS lookups against the simulator in the three modes
// of DDNS.ini and against a trickling service, how the list shows its rows,
// a site list that claims more than it holds, and a save that fails.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ostra_folder.h"

namespace {

using namespace ostra;

enum : int { kList = 1050, kNewSite = 1051, kUpdate = 1052, kDelete = 1053, kSelect = 1054, kCancel = 1055,
             kSave = 1056 };
enum : int { kManual = 1030, kDdns = 1031, kMember = 1032, kName = 1033, kLookup = 1034, kAddress = 1035, kPort = 1036,
             kLocation = 2067, kUser = 1037, kOk = 1058, kEditCancel = 1059 };
constexpr int kRowHeight = 23;  // the list font's height and 10

struct Session {
  OstraFolder ostra;
  HWND launcher = nullptr, setup = nullptr;
  explicit Session(const std::string& sites) : ostra(sites) { launcher = ostra.Launch(); }
  DWORD Pid() const { return ostra.Pid(0); }
  bool OpenSetup() {
    uidriver::Click(Centre(LauncherRect(launcher, 1)));
    return (setup = WaitDialogWith(Pid(), kList)) != nullptr;
  }
  HWND OpenEdit(int button) {
    ClickControl(setup, button);
    return WaitDialogWith(Pid(), kAddress);
  }
  // The list's client area on the screen, and its header's bottom.
  RECT Rows() const {
    HWND list = GetDlgItem(setup, kList);
    RECT header, client;
    GetWindowRect(FindWindowExW(list, nullptr, L"SysHeader32", nullptr), &header);
    GetClientRect(list, &client);
    RECT r = uidriver::OnScreen(list, client);
    r.top = header.bottom;
    return r;
  }
  RECT Cell(int row, int left, int width) const {
    RECT r = Rows();
    return {r.left + left, r.top + row * kRowHeight, r.left + left + width, r.top + (row + 1) * kRowHeight};
  }
  void SelectRow(int row) {
    uidriver::Click(Centre(Cell(row, 0, 120)));
    Sleep(100);
  }
  void Shot(const wchar_t* name) const {
    uidriver::SavePng(uidriver::Capture({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}),
                      TestFolder() + L"\\" + name);
  }
  std::wstring Message() {
    std::wstring text = WaitMessage(Pid(), 4000);
    CloseMessage(Pid());
    return text;
  }
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(SiteSetup, AddedSiteIsLostOnCancelAndKeptOnSaveAndTheEditChecksComeInOrder) {
  Session s(SiteListOf({"10.0.0.1,50000,admin"}));
  s.ostra.WriteConfig(L"DDNS.ini", "[DDNS]\r\nmode=3\r\n");
  const std::string before = s.ostra.ReadConfig(L"H264Site.ini");
  ASSERT_TRUE(s.OpenSetup());
  HWND edit = s.OpenEdit(kNewSite);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(edit, kPort)), L"50000");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(edit, kDdns)));  // mode 3: no dynamic DNS
  TypeInto(edit, kAddress, L"10.0.0.7");
  TypeInto(edit, kUser, L"bob");
  s.Shot(L"site_edit_manual.png");
  ClickControl(edit, kOk);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(edit); }, 3000));
  ClickControl(s.setup, kCancel);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(s.setup); }, 3000));
  EXPECT_EQ(s.ostra.ReadConfig(L"H264Site.ini"), before);

  ASSERT_TRUE(s.OpenSetup());
  edit = s.OpenEdit(kNewSite);
  ASSERT_NE(edit, nullptr);
  TypeInto(edit, kPort, L"70000");
  // Brought into range as it is typed, before any OK.
  EXPECT_TRUE(uidriver::WaitUntil([&] { return TextOf(GetDlgItem(edit, kPort)) == L"65530"; }, 5000))
      << TextOf(GetDlgItem(edit, kPort));
  struct Step {
    int control;
    const wchar_t* text;
    const wchar_t* message;
  } steps[] = {
      {kAddress, L"", L"ADDRESS EMPTY"}, {kAddress, L"10.0.0.8", L"USER ID EMPTY"},
      {kPort, L"0", L"INVALID PORT"},    {kPort, L"8000", L"USER ID EMPTY"},
  };
  for (const Step& step : steps) {
    TypeInto(edit, step.control, step.text);
    ClickControl(edit, kOk);
    EXPECT_EQ(s.Message(), step.message) << step.message;
    ASSERT_TRUE(IsWindow(edit));
  }
  TypeInto(edit, kUser, L"carol");
  ClickControl(edit, kOk);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(edit); }, 3000));
  ClickControl(s.setup, kSave);
  Sleep(300);
  const std::string saved = s.ostra.ReadConfig(L"H264Site.ini");
  EXPECT_TRUE(Contains(saved, "NUMBER=3\r\n")) << saved;
  EXPECT_TRUE(Contains(saved, "[DVR2]\r\nTYPE=0\r\nIP=10.0.0.8\r\nPORT=8000\r\nID=carol\r\n")) << saved;
  ClickControl(s.setup, kCancel);
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

TEST(SiteSetup, DynamicDnsLookupsInTheThreeModes) {
  Simulator ddns(L"ddns_sim.exe", L"--entry m1/door=192.168.7.7:50123 --entry m2/=10.9.9.9:4444");
  Simulator empty(L"ddns_sim.exe", L"--behave empty");
  Session s(SiteListOf({"172.16.0.1,50000,admin,1"}));
  auto server = [](const Simulator& sim, int mode) {
    return "[DDNS]\r\nserver=http://127.0.0.1:" + std::to_string(sim.Port()) + "/\r\nmode=" + std::to_string(mode) + "\r\n";
  };
  s.ostra.WriteConfig(L"DDNS.ini", server(ddns, 1));
  ASSERT_TRUE(s.OpenSetup());

  // Mode 1: member and name; the address comes from the lookup and OK stores type 1.
  HWND edit = s.OpenEdit(kNewSite);
  ASSERT_NE(edit, nullptr);
  ClickControl(edit, kDdns);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(edit, kAddress)));
  TypeInto(edit, kMember, L"m1");
  TypeInto(edit, kName, L"door");
  TypeInto(edit, kUser, L"admin");
  ClickControl(edit, kOk);  // no address yet: the message, and a lookup in the background
  EXPECT_EQ(s.Message(), L"ADDRESS EMPTY");
  EXPECT_TRUE(uidriver::WaitUntil([&] { return TextOf(GetDlgItem(edit, kAddress)) == L"192.168.7.7"; }, 5000));
  EXPECT_EQ(TextOf(GetDlgItem(edit, kPort)), L"50123");
  EXPECT_TRUE(uidriver::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(edit, kOk)) != 0; }, 2000));
  s.Shot(L"site_edit_ddns.png");
  ClickControl(edit, kOk);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(edit); }, 3000));
  EXPECT_EQ(ddns.LogLines("request GET /lookup?member=m1&name=door HTTP/1.0").size(), 1u) << ddns.Log();

  // The service answers without the lines, is unreachable, or its URL cannot be read.
  for (auto [ini, message] : {std::pair{server(empty, 1), L"NOT Receive Data"},
                              {std::string("[DDNS]\r\nserver=not a url\r\n"), L"Invalid Server URL"},
                              {std::string("[DDNS]\r\nserver=http://127.0.0.1:1/\r\n"), L"Invalid Server URL"}}) {
    s.ostra.WriteConfig(L"DDNS.ini", ini);
    edit = s.OpenEdit(kNewSite);
    ASSERT_NE(edit, nullptr);
    ClickControl(edit, kDdns);
    TypeInto(edit, kMember, L"m1");
    TypeInto(edit, kName, L"door");
    ClickControl(edit, kLookup);
    EXPECT_EQ(s.Message(), message);
    EXPECT_EQ(TextOf(GetDlgItem(edit, kAddress)), L"");
    ClickControl(edit, kEditCancel);
    ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(edit); }, 3000));
  }

  // Mode 2: member alone, no name row; the saved name is empty.
  s.ostra.WriteConfig(L"DDNS.ini", server(ddns, 2));
  edit = s.OpenEdit(kNewSite);
  ASSERT_NE(edit, nullptr);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(edit, kName)));
  ClickControl(edit, kDdns);
  TypeInto(edit, kMember, L"m2");
  ClickControl(edit, kLookup);
  EXPECT_TRUE(uidriver::WaitUntil([&] { return TextOf(GetDlgItem(edit, kAddress)) == L"10.9.9.9"; }, 5000));
  TypeInto(edit, kUser, L"guest");
  EXPECT_TRUE(uidriver::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(edit, kOk)) != 0; }, 2000));
  ClickControl(edit, kOk);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(edit); }, 3000));
  EXPECT_EQ(ddns.LogLines("request GET /lookup?member=m2 HTTP/1.0").size(), 1u) << ddns.Log();

  // Mode 3: the stored dynamic-DNS site opens in manual state and is saved with type 0.
  s.ostra.WriteConfig(L"DDNS.ini", server(ddns, 3));
  s.SelectRow(0);
  edit = s.OpenEdit(kUpdate);
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(edit, kAddress)));
  EXPECT_EQ(TextOf(GetDlgItem(edit, kAddress)), L"172.16.0.1");
  ClickControl(edit, kOk);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(edit); }, 3000));

  ClickControl(s.setup, kSave);
  Sleep(300);
  const std::string saved = s.ostra.ReadConfig(L"H264Site.ini");
  EXPECT_TRUE(Contains(saved, "[DVR1]\r\nTYPE=0\r\nIP=172.16.0.1\r\n")) << saved;
  EXPECT_TRUE(Contains(saved, "[DVR2]\r\nTYPE=1\r\nIP=192.168.7.7\r\nPORT=50123\r\nID=admin\r\nPWD=\r\nDDNS_MEMBER=m1\r\nDDNS_NAME=door\r\n")) << saved;
  EXPECT_TRUE(Contains(saved, "[DVR3]\r\nTYPE=1\r\nIP=10.9.9.9\r\nPORT=4444\r\nID=guest\r\nPWD=\r\nDDNS_MEMBER=m2\r\nDDNS_NAME=\r\n")) << saved;
  ClickControl(s.setup, kCancel);
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

TEST(SiteSetup, ATricklingDynamicDnsAnswerEndsTheLookupWithItsMessageWithinSeconds) {
  // One byte every 2 s: the whole answer would take minutes.
  Simulator trickle(L"ddns_sim.exe", L"--behave trickle --entry m1/door=192.168.7.7:50123");
  Session s(SiteListOf({"10.0.0.1,50000,admin"}));
  s.ostra.WriteConfig(L"DDNS.ini", "[DDNS]\r\nserver=http://127.0.0.1:" + std::to_string(trickle.Port()) + "/\r\nmode=1\r\n");
  ASSERT_TRUE(s.OpenSetup());
  HWND edit = s.OpenEdit(kNewSite);
  ASSERT_NE(edit, nullptr);
  ClickControl(edit, kDdns);
  TypeInto(edit, kMember, L"m1");
  TypeInto(edit, kName, L"door");
  const DWORD pressed = GetTickCount();
  ClickControl(edit, kLookup);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(edit, kOk)));
  const std::wstring message = WaitMessage(s.Pid(), 12000);
  const DWORD elapsed = GetTickCount() - pressed;
  EXPECT_EQ(message, L"Invalid Server URL");
  EXPECT_LE(elapsed, 7500u);
  CloseMessage(s.Pid());
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(edit, kOk)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(edit, kLookup)));
  EXPECT_EQ(TextOf(GetDlgItem(edit, kAddress)), L"");
  EXPECT_EQ(trickle.LogLines("request GET /lookup?member=m1&name=door HTTP/1.0").size(), 1u) << trickle.Log();
  ClickControl(edit, kEditCancel);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(edit); }, 3000));
  ClickControl(s.setup, kCancel);
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

TEST(SiteSetup, ASiteListThatClaimsMoreSitesThanItHoldsOpensAtOnceAndSavesWhatItHolds) {
  Session s("[SETUP_INFO]\r\nNUMBER=2147483647\r\n\r\n[DVR1]\r\nTYPE=0\r\nIP=10.0.0.9\r\nPORT=50000\r\nID=admin\r\n"
            "PWD=\r\nDDNS_MEMBER=\r\nDDNS_NAME=\r\nLOCATION=Gate    \r\n");
  ASSERT_NE(s.launcher, nullptr);
  uidriver::Click(Centre(LauncherRect(s.launcher, 1)));
  const DWORD pressed = GetTickCount();
  s.setup = WaitDialogWith(s.Pid(), kList, 10000);
  ASSERT_NE(s.setup, nullptr) << "no site setup dialog";
  EXPECT_LE(GetTickCount() - pressed, 3000u);
  DWORD_PTR rows = 0;
  SendMessageTimeoutW(GetDlgItem(s.setup, kList), LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 2000, &rows);
  EXPECT_EQ(rows, 1u);
  ClickControl(s.setup, kSave);
  Sleep(300);
  EXPECT_EQ(s.ostra.ReadConfig(L"H264Site.ini"),
            "[SETUP_INFO]\r\nNUMBER=2\r\n\r\n[DVR1]\r\nTYPE=0\r\nIP=10.0.0.9\r\nPORT=50000\r\nID=admin\r\nPWD=\r\n"
            "DDNS_MEMBER=\r\nDDNS_NAME=\r\nLOCATION=Gate    \r\n");
  ClickControl(s.setup, kCancel);
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

TEST(SiteSetup, ASaveThatFailsSaysSoAndLeavesTheFileAsItWas) {
  Session s(SiteListOf({"10.0.0.1,50000,admin", "10.0.0.2,50000,guest"}));
  ASSERT_NE(s.launcher, nullptr);
  const std::string before = s.ostra.ReadConfig(L"H264Site.ini");
  ASSERT_TRUE(s.OpenSetup());
  s.SelectRow(1);
  ClickControl(s.setup, kDelete);
  // Another program holds the file open and lets nobody replace it.
  HANDLE held = CreateFileW((s.ostra.ConfigPath(L"H264Site.ini")).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ClickControl(s.setup, kSave);
  const std::wstring message = s.Message();
  EXPECT_EQ(message.rfind(L"The site list cannot be saved; the file keeps the sites it held.", 0), 0u) << message;
  EXPECT_EQ(s.ostra.ReadConfig(L"H264Site.ini"), before);
  // Choosing a site saves the list before the login: the same message, and the login goes on.
  s.SelectRow(0);
  ClickControl(s.setup, kSelect);
  EXPECT_EQ(s.Message().rfind(L"The site list cannot be saved", 0), 0u);
  HWND login = WaitDialogWith(s.Pid(), 2064);
  ASSERT_NE(login, nullptr);
  ClickControl(login, 2066);  // cancel
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(login); }, 3000));
  EXPECT_EQ(s.ostra.ReadConfig(L"H264Site.ini"), before);
  CloseHandle(held);
  // Once the file is free, the list is saved whole.
  ClickControl(s.setup, kSave);
  Sleep(300);
  EXPECT_TRUE(MessageShown(s.Pid()).empty());
  EXPECT_EQ(s.ostra.ReadConfig(L"H264Site.ini"), SiteListOf({"10.0.0.1,50000,admin"}));
  ClickControl(s.setup, kCancel);
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

// Pixels of a cell whose colour is `c`.
int CountColour(const uidriver::Pixels& p, COLORREF c) {
  int n = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) n += p.At(x, y) == c;
  return n;
}

// The navy pixels of a cell, moved to their own top-left: the text's shape wherever it sits.
std::vector<std::pair<int, int>> Ink(const uidriver::Pixels& p) {
  std::vector<std::pair<int, int>> ink;
  int left = p.width, top = p.height;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.At(x, y) == RGB(0, 0, 128)) ink.push_back({x, y}), left = std::min(left, x), top = std::min(top, y);
  for (auto& [x, y] : ink) x -= left, y -= top;
  return ink;
}

TEST(SiteSetup, TheListShowsItsRowsAsTheyAre) {
  const std::string longAddress = "very-long-recorder-name.branch-office.example.net";
  Session s(SiteListOf({longAddress + ",50000,admin", "10.0.0.2,0,guest", "10.0.0.3,50000,admin,1", "10.0.0.4,50000,admin"}));
  s.ostra.WriteConfig(L"DDNS.ini", "[DDNS]\r\nmode=3\r\n");
  ASSERT_TRUE(s.OpenSetup());
  ClickControl(s.setup, kSelect);  // nothing selected yet
  EXPECT_EQ(s.Message(), L"One Site Select Please.");

  const COLORREF navy = RGB(0, 0, 128), paper = RGB(255, 251, 240), chosen = RGB(192, 220, 192);
  // The long address: its beginning, then three dots, within its 170 pixels.
  const uidriver::Pixels address = uidriver::Capture(s.Cell(0, 0, 170));
  int lastInk = -1;
  for (int x = 0; x < address.width; ++x)
    for (int y = 0; y < address.height; ++y)
      if (address.At(x, y) == navy) lastInk = x;
  ASSERT_GT(lastInk, 100);
  EXPECT_LE(lastInk, 170 - 6);
  // From the right: three small marks on one line, apart from each other.
  int x = lastInk;
  for (int dot = 0; dot < 3; ++dot) {
    int top = address.height, bottom = -1, width = 0;
    for (;; --x, ++width) {
      bool ink = false;
      for (int y = 0; y < address.height; ++y)
        if (address.At(x, y) == navy) ink = true, top = std::min(top, y), bottom = std::max(bottom, y);
      if (!ink) break;
    }
    EXPECT_LE(bottom - top, 1) << dot;
    EXPECT_LE(width, 2) << dot;
    EXPECT_GT(top, address.height / 2) << dot;  // on the line, not a letter's height
    while (x > 0 && [&] { for (int y = 0; y < address.height; ++y) if (address.At(x, y) == navy) return false; return true; }()) --x;
  }
  EXPECT_EQ(CountColour(uidriver::Capture(s.Cell(0, 170, 110)), navy), 0);  // nothing spills into Location

  // Type: "IP", "DDNS", "IP".
  const uidriver::Pixels type1 = uidriver::Capture(s.Cell(1, 345, 60)), type2 = uidriver::Capture(s.Cell(2, 345, 60)),
                         type3 = uidriver::Capture(s.Cell(3, 345, 60));
  EXPECT_FALSE(Ink(type1).empty());
  EXPECT_EQ(Ink(type1), Ink(type3));
  EXPECT_NE(Ink(type1), Ink(type2));

  // A header click does not reorder the rows.
  const uidriver::Pixels rows = uidriver::Capture(s.Cell(0, 0, 475));
  RECT header = s.Rows();
  uidriver::Click({header.left + 60, header.top - 8});
  uidriver::MoveTo({5, 5});
  Sleep(300);
  EXPECT_EQ(uidriver::Capture(s.Cell(0, 0, 475)), rows);

  // The selected row keeps its colour once the list has lost the focus.
  s.SelectRow(1);
  uidriver::PressKey(VK_TAB);
  Sleep(200);
  const uidriver::Pixels selected = uidriver::Capture(s.Cell(1, 0, 475));
  EXPECT_GT(CountColour(selected, chosen), selected.width * selected.height / 2);
  EXPECT_EQ(CountColour(uidriver::Capture(s.Cell(3, 0, 475)), chosen), 0);
  EXPECT_GT(CountColour(uidriver::Capture(s.Cell(3, 0, 475)), paper), 0);
  s.Shot(L"site_setup.png");

  // Port 0 is offered as 50000; UPDATE changes the row where it is.
  HWND edit = s.OpenEdit(kUpdate);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(edit, kPort)), L"50000");
  TypeInto(edit, kLocation, L"Shop");
  ClickControl(edit, kOk);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(edit); }, 3000));
  EXPECT_TRUE(uidriver::WaitUntil([&] {
    const uidriver::Pixels location = uidriver::Capture(s.Cell(1, 170, 110));
    return CountColour(location, navy) + CountColour(location, RGB(0, 0, 0)) > 0;
  }, 5000)) << "the row shows its new location";
  ClickControl(s.setup, kSave);
  Sleep(300);
  const std::string saved = s.ostra.ReadConfig(L"H264Site.ini");
  EXPECT_TRUE(Contains(saved, "[DVR1]\r\nTYPE=0\r\nIP=" + longAddress + "\r\n")) << saved;
  EXPECT_TRUE(Contains(saved, "[DVR2]\r\nTYPE=0\r\nIP=10.0.0.2\r\nPORT=50000\r\nID=guest\r\n")) << saved;
  EXPECT_TRUE(Contains(saved, "LOCATION=Shop    \r\n\r\n[DVR3]\r\nTYPE=1\r\nIP=10.0.0.3\r\n")) << saved;
  EXPECT_TRUE(Contains(saved, "NUMBER=5\r\n")) << saved;
  ClickControl(s.setup, kCancel);
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

}  // namespace
