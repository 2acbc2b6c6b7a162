#include "ui_driver.h"

#include <wincodec.h>

#include "win32/dib.h"
#include "win32/gdi.h"
#include "win32/owners.h"

namespace uidriver {

namespace {

struct Search {
  DWORD process;
  const wchar_t* title;
  const wchar_t* class_name;
  HWND except;
  HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
  Search& s = *reinterpret_cast<Search*>(lp);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process != s.process || hwnd == s.except || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[256] = {};
  if (s.title && (GetWindowTextW(hwnd, text, 256), std::wstring(text) != s.title)) return TRUE;
  if (s.class_name && (GetClassNameW(hwnd, text, 256), std::wstring(text) != s.class_name)) return TRUE;
  s.found = hwnd;
  return FALSE;
}

HWND FindWindowOf(DWORD process, const wchar_t* title, const wchar_t* class_name, HWND except) {
  Search s{process, title, class_name, except, nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

void SendMouse(POINT p, DWORD flags) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = LONG((p.x * 65535LL + w / 2) / (w - 1));
  in.mi.dy = LONG((p.y * 65535LL + h / 2) / (h - 1));
  in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
  SendInput(1, &in, sizeof(in));
  Sleep(30);  // let the program take the event in
}

void SendKey(WORD vk, wchar_t unit, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = unit;
  in.ki.dwFlags = (unit ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  SendInput(1, &in, sizeof(in));
}

}  // namespace

Program::~Program() {
  if (Running()) TerminateProcess(info_.hProcess, 1), WaitForSingleObject(info_.hProcess, 5000);
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool Program::Start(const std::wstring& command_line, const wchar_t* title, int timeout_ms) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring line = command_line;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
    return false;
  return WaitUntil([&] { return (window_ = FindWindowOf(Id(), title, nullptr, nullptr)) != nullptr; }, timeout_ms);
}

bool Program::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::WaitExit(int timeout_ms, DWORD* exit_code) {
  if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) return false;
  if (exit_code) GetExitCodeProcess(info_.hProcess, exit_code);
  return true;
}

HWND Program::FindOwnWindow(const wchar_t* class_name) const {
  return FindWindowOf(Id(), nullptr, class_name, window_);
}

bool WaitUntil(const std::function<bool()>& done, int timeout_ms, int step_ms) {
  for (DWORD start = GetTickCount();;) {
    if (done()) return true;
    if (int(GetTickCount() - start) >= timeout_ms) return false;
    Sleep(step_ms);
  }
}

void MoveTo(POINT p) { SendMouse(p, 0); }
void MouseDown(POINT p) { SendMouse(p, MOUSEEVENTF_LEFTDOWN); }
void MouseUp(POINT p) { SendMouse(p, MOUSEEVENTF_LEFTUP); }

void Click(POINT p) {
  MoveTo(p);
  MouseDown(p);
  MouseUp(p);
}

bool Focus(HWND window) {
  SetForegroundWindow(window);
  return WaitUntil([&] { return GetForegroundWindow() == window; }, 2000);
}

void TypeText(const std::wstring& text) {
  for (wchar_t c : text) {
    SendKey(0, c, false);
    SendKey(0, c, true);
  }
  Sleep(50);
}

void PressKey(WORD vk, WORD held) {
  if (held) SendKey(held, 0, false);
  SendKey(vk, 0, false);
  SendKey(vk, 0, true);
  if (held) SendKey(held, 0, true);
  Sleep(50);
}

HWND FindDescendant(HWND window, const wchar_t* class_name) {
  struct Search {
    const wchar_t* class_name;
    HWND found;
  } search{class_name, nullptr};
  EnumChildWindows(window, [](HWND child, LPARAM lp) CALLBACK -> BOOL {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (wcscmp(name, s->class_name) != 0) return TRUE;
    s->found = child;
    return FALSE;
  }, LPARAM(&search));
  return search.found;
}

POINT OnScreen(HWND window, POINT p) {
  ClientToScreen(window, &p);
  return p;
}

RECT OnScreen(HWND window, RECT r) {
  const POINT a = OnScreen(window, POINT{r.left, r.top}), b = OnScreen(window, POINT{r.right, r.bottom});
  return {a.x, a.y, b.x, b.y};
}

Pixels Capture(const RECT& r) {
  Pixels out;
  out.width = r.right - r.left;
  out.height = r.bottom - r.top;
  if (out.width <= 0 || out.height <= 0) return {};
  win32::WindowDC screen(nullptr);
  win32::MemoryDC dc(screen.Get());
  void* bits = nullptr;
  win32::Bitmap section(win32::CreateTopDownDib(screen.Get(), out.width, out.height, 24, &bits));
  if (!section) return {};
  {
    win32::SelectedObject use(dc.Get(), section.Get());
    BitBlt(dc.Get(), 0, 0, out.width, out.height, screen.Get(), r.left, r.top, SRCCOPY);
  }
  GdiFlush();
  const int stride = (out.width * 3 + 3) & ~3;
  out.bgr.resize(size_t(out.width) * out.height * 3);
  for (int y = 0; y < out.height; ++y)
    memcpy(&out.bgr[size_t(y) * out.width * 3], static_cast<uint8_t*>(bits) + size_t(y) * stride, out.width * 3);
  return out;
}

void ClearScreen() {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  {
    win32::WindowDC screen(nullptr);
    PatBlt(screen.Get(), 0, 0, w, h, BLACKNESS);
  }
  // Reading the screen back waits until the paint has reached it: painted
  // later, it would blacken the program started next.
  Capture(RECT{0, 0, w, h});
}

bool SavePng(const Pixels& pixels, const std::wstring& path) {
  const win32::ComScope com(win32::Apartment::kMultithreaded);
  bool ok = false;
  {
    win32::ComPtr<IWICImagingFactory> factory;
    win32::ComPtr<IWICStream> stream;
    win32::ComPtr<IWICBitmapEncoder> encoder;
    win32::ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    factory.PutVoid())) &&
         SUCCEEDED(factory->CreateStream(stream.Put())) &&
         SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put())) &&
         SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(frame.Put(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
         SUCCEEDED(frame->SetSize(pixels.width, pixels.height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
         format == GUID_WICPixelFormat24bppBGR &&
         SUCCEEDED(frame->WritePixels(pixels.height, pixels.width * 3, UINT(pixels.bgr.size()),
                                      const_cast<BYTE*>(pixels.bgr.data()))) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  }
  return ok;
}

}  // namespace uidriver
