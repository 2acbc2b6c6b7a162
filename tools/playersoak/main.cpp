// playersoak SECONDS SEED FILE...: the player window under random real input
// for SECONDS. The window (the view the control holds) lives on this
// program's main thread; a driver thread moves the pointer, clicks, drags
// and types with the system's input functions: panel buttons, the slider,
// cameras and divisions, keys, AVI SAVE and IMAGE EDIT with their panels,
// and FILE OPEN of the FILEs (backup files, damaged copies, other files).
// After every action the window is pinged (WM_NULL, 5 s at the most). At the
// end it prints the figures and exits 0 only when every ping was answered
// and no worker had to be terminated.
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "panel.h"
#include "player_controls.h"
#include "player_screen_view.h"
#include "ui_driver.h"
#include "win32/owners.h"
#include "win32/window.h"

namespace {

using namespace view;

constexpr UINT kPingTimeoutMs = 5000;
enum : int { kEditPanel = 256, kFirstEditButton = 257, kLastEditButton = 268, kAviPanel = 512,
             kOptionStart = 513, kOptionStop = 514 };

class SoakWindow : public win32::Window {
 public:
  bool Create() {
    const RECT panel = SkinRect(0);
    return win32::Window::Create(L"PlayerSoak", L"player soak", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                                 panel.right, panel.bottom, nullptr) &&
           view.Create(Hwnd(), 0, 0);
  }
  PlayerScreenView view;
};

struct Memory {
  size_t committed = 0, working_set = 0;  // private bytes committed (Wine leaves PrivateUsage 0)
};

Memory ProcessMemory() {
  PROCESS_MEMORY_COUNTERS m{};
  GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof(m));
  return {m.PagefileUsage, m.WorkingSetSize};
}

// The driver: random actions with real input, a ping after each.
class Driver {
 public:
  Driver(HWND window, HWND view, std::vector<std::wstring> files, unsigned seed)
      : window_(window), view_(view), files_(std::move(files)), random_(seed) {}

  void Run(DWORD seconds) {
    start_ = GetTickCount();
    while (GetTickCount() - start_ < seconds * 1000) {
      Act();
      ++actions_;
      Ping();
    }
  }
  // Closes what dialogs the open-file flow left until the window's loop has ended.
  void Finish(const std::atomic<bool>& ended) {
    for (int n = 0; n < 300 && !ended.load(); ++n) {
      if (HWND dialog = OwnDialog()) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      PostMessageW(window_, WM_NULL, 0, 0);
      Sleep(100);
    }
  }
  long actions_ = 0, unanswered_ = 0, slow_pings_ = 0, opens_ = 0;
  DWORD worst_ping_ms_ = 0, worst_ping_at_s_ = 0;

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  POINT At(int skin_id) const {
    const RECT r = SkinRect(WORD(skin_id));
    return uidriver::OnScreen(view_, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  POINT OnPanel(int panel, int id) const {
    const RECT at = SkinRect(WORD(panel));
    const RECT r = SkinRect(WORD(id));
    return uidriver::OnScreen(view_, POINT{at.left + (r.left + r.right) / 2, at.top + (r.top + r.bottom) / 2});
  }

  void Ping() {
    const DWORD sent = GetTickCount();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kPingTimeoutMs, &result)) ++unanswered_;
    const DWORD took = GetTickCount() - sent;
    if (took > 1000) ++slow_pings_;
    if (took > worst_ping_ms_) worst_ping_ms_ = took, worst_ping_at_s_ = (sent - start_) / 1000;
  }

  void Act() {
    static constexpr int kTransport[] = {kFirstPosition, kRewind, kReversePlay, kPause, kPlay, kFastForward,
                                         kLastPosition};
    static constexpr int kViews[] = {kCamera1, kCamera2, kCamera3, kCamera4, kDivision1, kDivision4,
                                     kDelayUp, kDelayDown, kSpeedUp, kSpeedDown};
    static constexpr WORD kKeys[] = {VK_SPACE, VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_UP, VK_DOWN, 'J', 'K', 'L'};
    switch (Pick(10)) {
      case 0:
      case 1:
        uidriver::Click(At(kTransport[Pick(7)]));
        break;
      case 2:
        uidriver::Click(At(kViews[Pick(10)]));
        break;
      case 3:
        uidriver::PressKey(kKeys[Pick(10)]);
        break;
      case 4: {  // a drag along the slider
        const RECT track = uidriver::OnScreen(view_, SkinRect(kTrack));
        const int y = (track.top + track.bottom) / 2, width = track.right - track.left;
        uidriver::MouseDown({track.left + Pick(width), y});
        for (int n = Pick(6); n >= 0; --n) uidriver::MoveTo({track.left + Pick(width), y});
        uidriver::MouseUp({track.left + Pick(width), y});
        break;
      }
      case 5:  // AVI SAVE, and perhaps a start or a stop on its panel
        uidriver::Click(At(kAviSave));
        if (Pick(2)) uidriver::Click(OnPanel(kAviPanel, Pick(2) ? kOptionStart : kOptionStop));
        break;
      case 6:  // IMAGE EDIT, and perhaps one of its buttons (no printing: it would fill the spool)
        uidriver::Click(At(kImageEdit));
        if (Pick(2)) {
          const int id = kFirstEditButton + Pick(kLastEditButton - kFirstEditButton + 1);
          if (id != kLastEditButton) uidriver::Click(OnPanel(kEditPanel, id));
        }
        break;
      case 7:
        uidriver::Click(uidriver::OnScreen(view_, POINT{SkinRect(kAudioBox).left + 6, SkinRect(kAudioBox).top + 6}));
        break;
      default:
        OpenFile(files_[Pick(int(files_.size()))]);
        break;
    }
  }

  // A visible dialog of this process with an OK button (the open-file
  // dialog or a message box of it; the player's panels have none), or null.
  static HWND OwnDialog() {
    struct Search {
      HWND found = nullptr;
    } search;
    EnumWindows([](HWND w, LPARAM lp) CALLBACK -> BOOL {
      wchar_t name[16] = {};
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      GetClassNameW(w, name, 16);
      if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || std::wstring(name) != L"#32770" ||
          !GetDlgItem(w, IDOK))
        return TRUE;
      reinterpret_cast<Search*>(lp)->found = w;
      return FALSE;
    }, LPARAM(&search));
    return search.found;
  }

  // FILE OPEN, the path typed into the dialog, Enter. Whatever dialog is
  // left (a message box about the name, say) is closed.
  void OpenFile(const std::wstring& path) {
    uidriver::Click(At(kFileOpen));
    HWND dialog = nullptr;
    if (!uidriver::WaitUntil([&] { return (dialog = OwnDialog()) != nullptr; }, 3000)) return;  // FILE OPEN disabled
    Sleep(300);
    if (uidriver::Focus(dialog)) {
      ++opens_;
      uidriver::TypeText(path);
      for (int attempt = 0; attempt < 3 && IsWindow(dialog); ++attempt) {
        uidriver::PressKey(VK_RETURN);
        uidriver::WaitUntil([&] { return !IsWindow(dialog); }, 1500);
      }
    }
    for (int n = 0; n < 5 && (dialog = OwnDialog()); ++n) {
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      uidriver::WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 2000);
    }
  }

  HWND window_, view_;
  DWORD start_ = 0;
  std::vector<std::wstring> files_;
  std::mt19937 random_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fputs("usage: playersoak SECONDS SEED FILE...\n", stderr);
    return 2;
  }
  win32::ComScope ole{win32::Apartment::kOle};
  SoakWindow window;
  if (!ole.Ok() || !window.Create()) return 1;
  const Memory at_start = ProcessMemory();
  std::vector<std::wstring> files(argv + 3, argv + argc);
  for (std::wstring& f : files)  // typed into the open-file dialog, which takes no forward slashes
    for (wchar_t& c : f)
      if (c == L'/') c = L'\\';
  Driver driver(window.Hwnd(), window.view.Hwnd(), files, unsigned(_wtoi(argv[2])));
  std::atomic<bool> done{false}, ended{false};
  const DWORD start = GetTickCount();
  std::thread drive([&] {
    uidriver::Focus(window.Hwnd());
    driver.Run(DWORD(_wtoi(argv[1])));
    done.store(true);
    driver.Finish(ended);
  });
  MSG msg;
  while (!done.load() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (window.view.TranslateKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  ended.store(true);
  drive.join();
  const Memory at_end = ProcessMemory();
  const int terminated = window.view.StopEngine();
  std::printf("seconds %.0f\nactions %ld\nfile opens %ld\nunanswered pings %ld\npings over 1 s %ld\n"
              "worst ping ms %lu at s %lu\ncommitted bytes start %zu end %zu\nworking set start %zu end %zu\n"
              "workers terminated %d\n",
              (GetTickCount() - start) / 1000.0, driver.actions_, driver.opens_, driver.unanswered_,
              driver.slow_pings_, driver.worst_ping_ms_, driver.worst_ping_at_s_, at_start.committed,
              at_end.committed, at_start.working_set, at_end.working_set, terminated);
  return driver.unanswered_ == 0 && terminated == 0 ? 0 : 1;
}
