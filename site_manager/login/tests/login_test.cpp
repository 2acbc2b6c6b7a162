// The login dialog inside the real Ostra.exe, driven with real input against
// the recorder simulator: user levels and the launcher's buttons, refusals
// and time-outs, one connection per attempt, the skin-code flag, recorders
// that send what cannot be read, and hostile recorders that flood, trickle
// or break off while the window keeps answering.
#include <windows.h>

#include <gtest/gtest.h>

#include "ostra_folder.h"
#include "velmora.h"

namespace {

using namespace ostra;

constexpr int kList = 1050, kSelect = 1054, kSetupCancel = 1055;
constexpr int kPassword = 2064, kLogin = 2065, kLoginCancel = 2066;
constexpr WORD kRemoteSetup = 2, kLiveView = 3, kBackup = 4, kPlayer = 5, kSearch = 6;

std::string PortText(const Simulator& s) { return std::to_string(s.Port()); }

// One recorder simulator for each case's behaviour, and its site line.
template <class Cases>
std::vector<std::unique_ptr<Simulator>> RecordersFor(const Cases& cases, std::vector<std::string>& sites) {
  std::vector<std::unique_ptr<Simulator>> recorders;
  for (const auto& c : cases) {
    recorders.push_back(std::make_unique<Simulator>(L"recorder_sim.exe", std::wstring(L"--user admin:1 --behave ") + c.behave));
    sites.push_back("127.0.0.1," + PortText(*recorders.back()) + ",admin");
  }
  return recorders;
}

// Clicks a row of the site list; rows are at least 20 pixels high.
void SelectRow(HWND setup, int row, int rowHeight = 23) {
  HWND list = GetDlgItem(setup, kList);
  RECT header;
  GetWindowRect(FindWindowExW(list, nullptr, L"SysHeader32", nullptr), &header);
  uidriver::Click({header.left + 60, header.bottom + row * rowHeight + 8});
  Sleep(100);
}

struct Session {
  OstraFolder ostra;
  HWND launcher = nullptr;
  HWND setup = nullptr;

  explicit Session(const std::string& sites, const std::wstring& velmora = L"Velmora.dll") : ostra(sites, velmora) {
    launcher = ostra.Launch();
  }
  DWORD Pid() const { return ostra.Pid(0); }
  bool OpenSetup() {
    uidriver::Click(Centre(LauncherRect(launcher, 1)));
    return (setup = WaitDialogWith(Pid(), kList)) != nullptr;
  }
  // The login dialog for a row of the site list (opening the list if needed).
  HWND OpenLogin(int row) {
    if ((!setup || !IsWindow(setup)) && !OpenSetup()) return nullptr;
    SelectRow(setup, row);
    ClickControl(setup, kSelect);
    return WaitDialogWith(Pid(), kPassword);
  }
  bool LogIn(int row, const std::wstring& password) {
    HWND login = OpenLogin(row);
    if (!login) return false;
    TypeInto(login, kPassword, password);
    ClickControl(login, kLogin);
    return uidriver::WaitUntil([&] { return !IsWindow(login) && !IsWindow(setup); }, 5000);
  }
  std::vector<int> Faces() const {
    std::vector<int> faces;
    for (WORD id : {kRemoteSetup, kLiveView, kBackup, kSearch, kPlayer}) faces.push_back(ButtonFace(launcher, id));
    return faces;
  }
  void Shot(const wchar_t* name) const {
    uidriver::SavePng(uidriver::Capture({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}),
                      TestFolder() + L"\\" + name);
  }
};

TEST(Login, TheUsersLevelSetsTheLaunchersButtonsAndCancelLocksThem) {
  Simulator recorder(L"recorder_sim.exe", L"--user Admin:1111 --user manager:2222 --user guest:3333");
  ASSERT_GT(recorder.Port(), 0);
  Session s(SiteListOf({"127.0.0.1," + PortText(recorder) + ",Admin", "127.0.0.1," + PortText(recorder) + ",manager",
                        "127.0.0.1," + PortText(recorder) + ",guest"}));
  ASSERT_NE(s.launcher, nullptr);
  EXPECT_EQ(s.Faces(), (std::vector<int>{3, 3, 3, 3, 0}));

  HWND login = s.OpenLogin(0);
  ASSERT_NE(login, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(login, 2063)), L"Admin");
  EXPECT_EQ(TextOf(GetDlgItem(login, kPassword)), L"");
  TypeInto(login, kPassword, L"1111");
  s.Shot(L"login_dialog.png");
  ClickControl(login, kLogin);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(login) && !IsWindow(s.setup); }, 5000));
  uidriver::MoveTo({5, 5});
  Sleep(300);
  // remote setup, live view, backup, search, and the player the login leaves alone
  EXPECT_EQ(s.Faces(), (std::vector<int>{0, 0, 0, 0, 0}));
  const uidriver::Pixels adminText = uidriver::Capture(LauncherRect(s.launcher, 11));
  s.Shot(L"launcher_after_login.png");

  const char* flags = SMAPI_GetSkinCode() == kLumoraSkinCode ? "0x80000000" : "0x00000000";
  ASSERT_EQ(recorder.LogLines("login ").size(), 1u);
  EXPECT_EQ(recorder.LogLines("login ")[0], std::string("login id=Admin password=1111 flags=") + flags + " one=1 answer=1");
  EXPECT_EQ(recorder.LogLines("packet command=84 length=0").size(), 1u);
  EXPECT_EQ(recorder.LogLines("packet command=1 length=276").size(), 1u);

  ASSERT_TRUE(s.LogIn(1, L"2222"));
  uidriver::MoveTo({5, 5});
  Sleep(300);
  EXPECT_EQ(s.Faces(), (std::vector<int>{3, 0, 0, 0, 0}));
  ASSERT_TRUE(s.LogIn(2, L"3333"));
  uidriver::MoveTo({5, 5});
  Sleep(300);
  EXPECT_EQ(s.Faces(), (std::vector<int>{3, 0, 3, 3, 0}));
  EXPECT_NE(uidriver::Capture(LauncherRect(s.launcher, 11)), adminText);  // the launcher shows the new user

  // A successful login, then a login dialog cancelled: all four locked.
  ASSERT_TRUE(s.LogIn(0, L"1111"));
  login = s.OpenLogin(0);
  ASSERT_NE(login, nullptr);
  ClickControl(login, kLoginCancel);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(login); }, 3000));
  ClickControl(s.setup, kSetupCancel);
  uidriver::MoveTo({5, 5});
  Sleep(300);
  EXPECT_EQ(s.Faces(), (std::vector<int>{3, 3, 3, 3, 0}));
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

TEST(Login, WrongPasswordShowsOnceAndTheLaterTimeoutOnlyClearsThePassword) {
  Simulator recorder(L"recorder_sim.exe", L"--user admin:1111");
  Session s(SiteListOf({"127.0.0.1," + PortText(recorder) + ",admin"}));
  HWND login = s.OpenLogin(0);
  ASSERT_NE(login, nullptr);
  TypeInto(login, kPassword, L"9999");
  const DWORD pressed = GetTickCount();
  ClickControl(login, kLogin);
  EXPECT_EQ(WaitMessage(s.Pid()), L"Check Password!");
  s.Shot(L"login_check_password.png");
  ASSERT_TRUE(CloseMessage(s.Pid()));
  EXPECT_EQ(TextOf(GetDlgItem(login, kPassword)), L"");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(login, kLogin)));
  TypeInto(login, kPassword, L"55");
  // Until after the first attempt's timer: no second box, and the timer's reset clears the edit.
  bool boxAgain = false;
  while (GetTickCount() - pressed < 11000) {
    boxAgain = boxAgain || !MessageShown(s.Pid()).empty();
    Sleep(100);
  }
  EXPECT_FALSE(boxAgain);
  EXPECT_EQ(TextOf(GetDlgItem(login, kPassword)), L"");
  EXPECT_EQ(recorder.LogLines("login id=admin password=9999").size(), 1u);
  ClickControl(login, kLoginCancel);
  ClickControl(s.setup, kSetupCancel);
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

TEST(Login, PressedTwiceStartsOneConnectionAndASiteThatNeverAnswersFailsAfterTenSeconds) {
  Simulator silent(L"recorder_sim.exe", L"--behave silent");
  Simulator full(L"recorder_sim.exe", L"--behave backlog");
  Session s(SiteListOf({"127.0.0.1," + PortText(silent) + ",admin", "127.0.0.1," + PortText(full) + ",admin"}));
  HWND login = s.OpenLogin(0);
  ASSERT_NE(login, nullptr);
  TypeInto(login, kPassword, L"1");
  ClickControl(login, kLogin);
  ClickControl(login, kLogin);
  Sleep(1500);
  EXPECT_EQ(silent.LogLines("connected").size(), 1u);
  EXPECT_EQ(silent.LogLines("packet command=84").size(), 1u);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(login, kLogin)));
  ClickControl(login, kLoginCancel);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(login); }, 3000));

  login = s.OpenLogin(1);  // a listener whose queue is full: no answer at all
  ASSERT_NE(login, nullptr);
  TypeInto(login, kPassword, L"1");
  const DWORD pressed = GetTickCount();
  ClickControl(login, kLogin);
  const std::wstring message = WaitMessage(s.Pid(), 13000);
  const DWORD elapsed = GetTickCount() - pressed;
  EXPECT_EQ(message, L"Fail Connect");
  EXPECT_GE(elapsed, 9500u);
  EXPECT_LE(elapsed, 12000u);
  ASSERT_TRUE(CloseMessage(s.Pid()));
  EXPECT_TRUE(uidriver::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(login, kLogin)); }, 3000));
  EXPECT_TRUE(full.LogLines("connected").empty());
  ClickControl(login, kLoginCancel);
  ClickControl(s.setup, kSetupCancel);
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

TEST(Login, LumorasSkinCodeMarksTheRequest) {
  Simulator recorder(L"recorder_sim.exe", L"--user admin:42");
  Session s(SiteListOf({"127.0.0.1," + PortText(recorder) + ",admin"}), L"lumora_code\\Velmora.dll");
  ASSERT_NE(s.launcher, nullptr);
  ASSERT_TRUE(s.LogIn(0, L"42"));
  ASSERT_EQ(recorder.LogLines("login ").size(), 1u);
  EXPECT_EQ(recorder.LogLines("login ")[0], "login id=admin password=42 flags=0x80000000 one=1 answer=1");
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

TEST(Login, RefusedClosedAndUnreadableAnswersNeverCrashTheSiteManager) {
  struct Case {
    const wchar_t* behave;
    const wchar_t* message;  // shown at once, or none
    bool refusal;            // the answer counted as a refusal: password cleared, LOGIN enabled
  } cases[] = {
      {L"refuse", L"Fail Connect", false},  {L"close", L"", false},         {L"hostile:magic", L"", false},
      {L"hostile:huge", L"", false},        {L"hostile:short0", L"", true}, {L"hostile:short2", L"", true},
      {L"hostile:flood", L"", true},        {L"excess", L"Users connect excess.", true},
  };
  std::vector<std::string> sites;
  const auto recorders = RecordersFor(cases, sites);
  Session s(SiteListOf(sites));
  ASSERT_NE(s.launcher, nullptr);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    HWND login = s.OpenLogin(int(i));
    ASSERT_NE(login, nullptr) << i;
    TypeInto(login, kPassword, L"1");
    ClickControl(login, kLogin);
    std::wstring message = *c.message ? WaitMessage(s.Pid(), 3000) : (Sleep(1500), MessageShown(s.Pid()));
    EXPECT_EQ(message, c.message) << i;
    if (!message.empty()) CloseMessage(s.Pid());
    EXPECT_TRUE(s.ostra.Running()) << i;
    ASSERT_TRUE(IsWindow(login)) << i;
    if (c.refusal) {
      EXPECT_TRUE(uidriver::WaitUntil([&] {
        return TextOf(GetDlgItem(login, kPassword)).empty() && IsWindowEnabled(GetDlgItem(login, kLogin));
      }, 10000)) << i << ": the password is \"" << TextOf(GetDlgItem(login, kPassword)) << "\"";
    }
    ClickControl(login, kLoginCancel);
    ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(login); }, 3000)) << i;
  }
  EXPECT_EQ(recorders[6]->LogLines("packet").size(), 1u);  // the flood was read, nothing sent back
  ClickControl(s.setup, kSetupCancel);
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

// Whether a window answers a message within a second.
bool Answers(HWND w) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
}

TEST(Login, AHostileRecorderNeverHoldsTheWindowAndEachAttemptEndsWithItsMessageInTime) {
  struct Case {
    const wchar_t* behave;
    const wchar_t* message;
  } cases[] = {
      {L"hostile:answers", L"Fail Connect"},               // handshake answers without end, nothing read
      {L"hostile:answers-then-read", L"Check Password!"},  // ten thousand of them, then the login is answered
      {L"hostile:trickle", L"Fail Connect"},               // a byte every 1.5 s
      {L"hostile:huge", L"Fail Connect"},                  // a payload length over 1 MiB
      {L"hostile:cut", L"Fail Connect"},                   // closed in the middle of the answer
  };
  std::vector<std::string> sites;
  const auto recorders = RecordersFor(cases, sites);
  Session s(SiteListOf(sites));
  ASSERT_NE(s.launcher, nullptr);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    HWND login = s.OpenLogin(int(i));
    ASSERT_NE(login, nullptr) << i;
    TypeInto(login, kPassword, L"2");  // admin's password is 1
    const DWORD pressed = GetTickCount();
    ClickControl(login, kLogin);
    // The window answers throughout, and the attempt ends with its message
    // within the login's 10 seconds (and the time to show it).
    std::wstring message;
    DWORD elapsed = 0;
    bool answered = true;
    while ((elapsed = GetTickCount() - pressed) < 14000) {
      answered = Answers(login) && answered;
      if (!(message = MessageShown(s.Pid())).empty()) break;
      Sleep(200);
    }
    ASSERT_TRUE(answered) << i << ": the login dialog did not answer";
    EXPECT_EQ(message, c.message) << i;
    EXPECT_LE(elapsed, 12000u) << i;
    if (!message.empty()) CloseMessage(s.Pid());
    EXPECT_TRUE(uidriver::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(login, kLogin)); }, 3000)) << i;
    ClickControl(login, kLoginCancel);
    ASSERT_TRUE(uidriver::WaitUntil([&] { return !IsWindow(login); }, 3000)) << i;
  }
  // The flood went on while the window read it, and one login request went per attempt.
  const std::vector<std::string> flood = recorders[0]->LogLines("handshake answers sent=");
  ASSERT_EQ(flood.size(), 1u) << recorders[0]->Log();
  EXPECT_GE(std::stoi(flood[0].substr(flood[0].find('=') + 1)), 10000) << flood[0];
  EXPECT_LE(recorders[0]->LogLines("packet command=1 ").size(), 1u);
  EXPECT_EQ(recorders[1]->LogLines("login ").size(), 1u) << recorders[1]->Log();
  EXPECT_EQ(recorders[4]->LogLines("closed by us mid-packet").size(), 1u) << recorders[4]->Log();
  ClickControl(s.setup, kSetupCancel);
  EXPECT_TRUE(s.ostra.Cancel(s.launcher));
}

}  // namespace
