// playerhost [FILE [--bench OUT]]: the player control ("REWYN.RewynCtrl.1",
// registered with regsvr32) in a top-level window titled "Rewyn". FILE is
// opened as FILE OPEN would open it; EXIT ends the program. With --bench the
// file is played to its end and the display step's figures go to OUT.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "control_messages.h"
#include "view_messages.h"
#include "win32/control_site.h"
#include "win32/owners.h"
#include "win32/window.h"

namespace {

constexpr wchar_t kControl[] = L"REWYN.RewynCtrl.1";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

class HostWindow : public win32::Window {
 public:
  // The window, then the control in it at its own size, then the frame fitted to it.
  bool Create() {
    if (!Window::Create(L"RewynPlayerHost", L"Rewyn", kStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr) ||
        !control_.Create(Hwnd(), kControl, nullptr))
      return false;
    RECT frame{};
    GetWindowRect(control_.ControlWindow(), &frame);
    OffsetRect(&frame, -frame.left, -frame.top);
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    SetWindowPos(Hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }
  win32::ControlHost& Control() { return control_; }

  // Hands the control a path with a request of control_messages.h.
  bool Ask(ULONG_PTR request, const wchar_t* path) {
    COPYDATASTRUCT data{request, DWORD((wcslen(path) + 1) * sizeof(wchar_t)), const_cast<wchar_t*>(path)};
    return SendMessageW(control_.ControlWindow(), WM_COPYDATA, WPARAM(Hwnd()), LPARAM(&data)) == 1;
  }

 private:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case view::UM_PLAYER_EXIT:  // sent from within the control: close once it has returned
        PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
        return 0;
      case WM_SETFOCUS:  // an activated frame hands the keyboard to the control
        if (HWND control = control_.ControlWindow()) SetFocus(control);
        return 0;
      case WM_CLOSE:
        control_.Close();
        DestroyWindow(Hwnd());
        return 0;
      case WM_DESTROY:
        control_.Close();
        PostQuitMessage(0);
        return 0;
    }
    return Window::OnMessage(msg, wp, lp);
  }

  win32::ControlHost control_;
};

int Run(int show) {
  HostWindow host;
  if (!host.Create()) return 1;
  ShowWindow(host.Hwnd(), show);
  UpdateWindow(host.Hwnd());
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const bool opened = argc >= 2 && host.Ask(rewyn::kOpenFileData, argv[1]);
  if (argc == 4 && std::wstring(argv[2]) == L"--bench") {
    const bool ok = opened && host.Ask(rewyn::kRunBenchmarkData, argv[3]);
    LocalFree(argv);
    return ok ? 0 : 1;
  }
  LocalFree(argv);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (host.Control().TranslateKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  win32::OleScope ole;
  return ole.Ok() ? Run(show) : 1;
}
