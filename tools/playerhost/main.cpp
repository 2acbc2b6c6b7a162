// playerhost [FILE [--bench OUT]]: the player control ("REWYN.RewynCtrl.1",
// registered with regsvr32) in a top-level window titled "Rewyn". FILE is
// opened as FILE OPEN would open it; EXIT ends the program. With --bench the
// control is the benchmark build beside this program (RewynBench.dll), the
// file is played to its end and the display step's figures go to OUT.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "control_messages.h"
#include "player_messages.h"
#include "win32/control_site.h"
#include "win32/owners.h"
#include "win32/window.h"

namespace {

constexpr wchar_t kControl[] = L"REWYN.RewynCtrl.1";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

class HostWindow : public win32::Window {
 public:
  // The window, then the control in it at its own size, then the frame fitted to it.
  // The control is the registered one, or the object given.
  bool Create(IOleObject* bench_control) {
    if (!Window::Create(L"RewynPlayerHost", L"Rewyn", kStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr))
      return false;
    if (!(bench_control ? control_.Create(Hwnd(), bench_control, nullptr) : control_.Create(Hwnd(), kControl, nullptr)))
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

// The control's object from the benchmark build beside this program.
win32::ComPtr<IOleObject> BenchControl(const win32::UniqueModule& module) {
  win32::ComPtr<IOleObject> object;
  CLSID clsid;
  const auto get_class = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(module.Get(), "DllGetClassObject")));
  win32::ComPtr<IClassFactory> factory;
  if (get_class && SUCCEEDED(CLSIDFromProgID(kControl, &clsid)) &&
      SUCCEEDED(get_class(clsid, IID_IClassFactory, factory.PutVoid())))
    factory->CreateInstance(nullptr, IID_IOleObject, object.PutVoid());
  return object;
}

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

int Run(int show) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::vector<std::wstring> args(argv, argv + argc);
  LocalFree(argv);
  const bool bench = args.size() == 4 && args[2] == L"--bench";
  // Loaded before the host and freed after it.
  const win32::UniqueModule bench_module(bench ? LoadLibraryW(BesideThisProgram(L"RewynBench.dll").c_str())
                                               : nullptr);
  win32::ComPtr<IOleObject> bench_control;
  if (bench && !(bench_control = BenchControl(bench_module))) return 1;
  HostWindow host;
  if (!host.Create(bench_control.Get())) return 1;
  bench_control.Reset();
  ShowWindow(host.Hwnd(), show);
  UpdateWindow(host.Hwnd());
  const bool opened = args.size() >= 2 && host.Ask(rewyn::kOpenFileData, args[1].c_str());
  if (bench) return opened && host.Ask(rewyn::kRunBenchmarkData, args[3].c_str()) ? 0 : 1;
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
  win32::ComScope ole{win32::Apartment::kOle};
  return ole.Ok() ? Run(show) : 1;
}
