// playerhost [FILE [--bench OUT]]: the player on its own, in a top-level
// window titled "Rewyn" that holds one player window. FILE is opened as FILE
// OPEN would open it; EXIT ends the program. With --bench the file is played
// to its end and the display step's figures go to OUT.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "bench_mode.h"
#include "panel.h"
#include "player_screen_view.h"
#include "view_messages.h"
#include "win32/window.h"

namespace {

class HostWindow : public win32::Window {
 public:
  bool Create() {
    const RECT panel = view::SkinRect(0);
    RECT frame = panel;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    if (!Window::Create(L"RewynPlayerHost", L"Rewyn", style, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr))
      return false;
    if (!view_.Create(Hwnd(), 0, 0)) return false;
    view_.SetExitTarget(Hwnd());
    return true;
  }
  view::PlayerScreenView& View() { return view_; }

 private:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case view::UM_PLAYER_EXIT:
        DestroyWindow(Hwnd());
        return 0;
      case WM_MOVE:
        PostMessageW(view_.Hwnd(), view::UM_FOLLOW_MOVE, 0, 0);
        break;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return Window::OnMessage(msg, wp, lp);
  }

  view::PlayerScreenView view_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  HostWindow host;
  if (!host.Create()) return 1;
  ShowWindow(host.Hwnd(), show);
  UpdateWindow(host.Hwnd());
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const bool opened = argc >= 2 && host.View().OpenFile(argv[1]);
  if (argc == 4 && std::wstring(argv[2]) == L"--bench") {
    const bool ok = opened && RunBenchmark(host.View(), argv[3]);
    LocalFree(argv);
    return ok ? 0 : 1;
  }
  LocalFree(argv);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
