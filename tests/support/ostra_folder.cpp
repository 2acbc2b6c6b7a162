#include "ostra_folder.h"

#include <fstream>
#include <sstream>

#include "velmora.h"
#include "win32/dib.h"

namespace ostra {

namespace {
constexpr const wchar_t* kLibraries[] = {L"\\Corvane.dll", L"\\Hostwell.dll"};
constexpr const wchar_t* kConfigFiles[] = {L"H264Site.ini", L"DDNS.ini"};
}  // namespace

std::wstring TestFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  return dir.substr(0, dir.rfind(L'\\'));
}

OstraFolder::OstraFolder(const std::string& siteList, const std::wstring& velmora) {
  // The virtual display has no window manager: Wine draws Ostra's captions
  // itself and need not wait for one when a dialog closes.
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Ostra.exe\\X11 Driver", L"Managed", REG_SZ, L"N",
                  2 * sizeof(wchar_t));
  // OSTRA_FOLDER names an installed Ostra, driven where it is.
  wchar_t installed[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"OSTRA_FOLDER", installed, MAX_PATH)) {
    dir_ = installed;
    installed_ = true;
    if (!siteList.empty()) WriteConfig(L"H264Site.ini", siteList);
    return;
  }
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static int count = 0;
  dir_ = std::wstring(temp) + L"ostra_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++count);
  CreateDirectoryW(dir_.c_str(), nullptr);
  CopyFileW((TestFolder() + L"\\Ostra.exe").c_str(), (dir_ + L"\\Ostra.exe").c_str(), FALSE);
  CopyFileW((TestFolder() + L"\\" + velmora).c_str(), (dir_ + L"\\Velmora.dll").c_str(), FALSE);
  for (const wchar_t* file : kLibraries) CopyFileW((TestFolder() + file).c_str(), (dir_ + file).c_str(), FALSE);
  if (!siteList.empty()) WriteConfig(L"H264Site.ini", siteList);
}

OstraFolder::~OstraFolder() {
  for (PROCESS_INFORMATION& p : processes_) {
    if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(p.hProcess, 1);
      WaitForSingleObject(p.hProcess, 5000);
    }
    CloseHandle(p.hProcess);
    CloseHandle(p.hThread);
  }
  for (const wchar_t* file : kConfigFiles) {
    DeleteFileW((dir_ + L"\\CONFIG\\" + file).c_str());
    DeleteFileW((dir_ + L"\\CONFIG\\" + file + L".new").c_str());
  }
  if (installed_) return;
  for (const wchar_t* file : {L"\\Ostra.exe", L"\\Velmora.dll"}) DeleteFileW((dir_ + file).c_str());
  for (const wchar_t* file : kLibraries) DeleteFileW((dir_ + file).c_str());
  RemoveDirectoryW((dir_ + L"\\CONFIG").c_str());
  RemoveDirectoryW(dir_.c_str());
}

void OstraFolder::WriteConfig(const wchar_t* name, const std::string& text) {
  CreateDirectoryW((dir_ + L"\\CONFIG").c_str(), nullptr);
  std::ofstream((dir_ + L"\\CONFIG\\" + name).c_str(), std::ios::binary) << text;
}

std::string OstraFolder::ReadConfig(const wchar_t* name) const {
  std::ifstream in((dir_ + L"\\CONFIG\\" + name).c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

size_t OstraFolder::Start() {
  std::wstring command = L"\"" + dir_ + L"\\Ostra.exe\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION p{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(), &si, &p))
    return SIZE_MAX;
  processes_.push_back(p);
  return processes_.size() - 1;
}

bool OstraFolder::WaitExit(size_t i, DWORD& code) const {
  if (WaitForSingleObject(processes_[i].hProcess, 5000) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(processes_[i].hProcess, &code);
  return true;
}

HWND OstraFolder::Launch() {
  size_t i = Start();
  if (i == SIZE_MAX) return nullptr;
  HWND found = nullptr;
  uidriver::WaitUntil([&] { return (found = WindowOf(Pid(i), L"#32770")) != nullptr; }, 20000);
  if (found) uidriver::WaitUntil([&] { return GetForegroundWindow() == found; }, 2000);
  Sleep(300);
  return found;
}

bool OstraFolder::Cancel(HWND launcher, size_t i) {
  uidriver::Click(Centre(LauncherRect(launcher, 9)));
  DWORD code = 1;
  return WaitExit(i, code) && code == 0;
}

HWND WindowOf(DWORD pid, const wchar_t* className) {
  struct Search {
    DWORD pid;
    const wchar_t* className;
    HWND found;
  } s{pid, className, nullptr};
  EnumWindows(
      [](HWND w, LPARAM lp) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        if (owner != s->pid || !IsWindowVisible(w) || (s->className && wcscmp(name, s->className) != 0)) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND DialogWith(DWORD pid, int id, HWND except) {
  struct Search {
    DWORD pid;
    int id;
    HWND except, found;
  } s{pid, id, except, nullptr};
  EnumWindows(
      [](HWND w, LPARAM lp) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != s->pid || w == s->except || !IsWindowVisible(w) || !GetDlgItem(w, s->id)) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitDialogWith(DWORD pid, int id, int ms) {
  HWND found = nullptr;
  uidriver::WaitUntil([&] { return (found = DialogWith(pid, id)) != nullptr; }, ms);
  if (found) Sleep(150);  // let it paint
  return found;
}

std::wstring TextOf(HWND w) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(w, WM_GETTEXT, 512, LPARAM(text), SMTO_ABORTIFHUNG, 2000, nullptr);  // a control of another process too
  return text;
}

std::wstring MessageShown(DWORD pid) {
  HWND box = DialogWith(pid, 0xFFFF);  // a message box's text
  return box ? TextOf(GetDlgItem(box, 0xFFFF)) : L"";
}

std::wstring WaitMessage(DWORD pid, int ms) {
  std::wstring text;
  uidriver::WaitUntil([&] { return !(text = MessageShown(pid)).empty(); }, ms);
  return text;
}

bool CloseMessage(DWORD pid) {
  HWND box = DialogWith(pid, 0xFFFF);
  if (!box) return false;
  ClickControl(box, IDOK);
  return uidriver::WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 3000);
}

void ClickControl(HWND dialog, int id) {
  // A dialog that a nested one has just left takes clicks once it is enabled again.
  uidriver::WaitUntil([&] { return IsWindowEnabled(dialog); }, 1000);
  RECT r;
  GetWindowRect(GetDlgItem(dialog, id), &r);
  uidriver::MoveTo(Centre(r));
  Sleep(150);
  uidriver::MouseDown(Centre(r));
  Sleep(50);
  uidriver::MouseUp(Centre(r));
  Sleep(100);
}

void TypeInto(HWND dialog, int id, const std::wstring& text) {
  ClickControl(dialog, id);
  uidriver::PressKey(VK_END);
  for (LRESULT n = SendMessageW(GetDlgItem(dialog, id), WM_GETTEXTLENGTH, 0, 0); n > 0; --n) uidriver::PressKey(VK_BACK);
  uidriver::TypeText(text);
}

RECT LauncherRect(HWND launcher, WORD skinId) {
  RECT skin{}, w{};
  SMAPI_GetResourceRect(skinId, &skin);
  GetWindowRect(launcher, &w);
  return {w.left + skin.left, w.top + skin.top, w.left + skin.right, w.top + skin.bottom};
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

int ButtonFace(HWND launcher, WORD skinId) {
  const RECT r = LauncherRect(launcher, skinId);
  const uidriver::Pixels shown = uidriver::Capture(r);
  HBITMAP faces[4] = {};
  SMAPI_GetResourceBitmapHandle(skinId, &faces[0], &faces[1], &faces[2], &faces[3]);  // normal, hover, pressed, disabled
  int found = -1;
  HDC screen = GetDC(nullptr);
  for (int f : {0, 3}) {
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, faces[f]);
    uidriver::Pixels face;
    face.width = shown.width;
    face.height = shown.height;
    for (int y = 0; y < shown.height; ++y)
      for (int x = 0; x < shown.width; ++x) {
        const COLORREF c = GetPixel(mem, x, y);
        face.bgr.insert(face.bgr.end(), {GetBValue(c), GetGValue(c), GetRValue(c)});
      }
    SelectObject(mem, old);
    DeleteDC(mem);
    if (face == shown && found < 0) found = f;
  }
  ReleaseDC(nullptr, screen);
  for (HBITMAP b : faces) DeleteObject(b);
  return found;
}

Simulator::Simulator(const wchar_t* program, const std::wstring& arguments) {
  static int count = 0;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  base_ = std::wstring(temp) + L"sim_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++count);
  std::wstring command = L"\"" + TestFolder() + L"\\" + program + L"\" --port-file \"" + base_ + L".port\" --log \"" +
                         base_ + L".log\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                      &process_))
    return;
  uidriver::WaitUntil(
      [&] {
        std::ifstream in((base_ + L".port").c_str());
        return bool(in >> port_) && port_ > 0;
      },
      10000);
}

Simulator::~Simulator() {
  if (process_.hProcess) {
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  DeleteFileW((base_ + L".port").c_str());
  DeleteFileW((base_ + L".log").c_str());
}

std::string Simulator::Log() const {
  std::ifstream in((base_ + L".log").c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Simulator::LogLines(const std::string& prefix) const {
  std::vector<std::string> lines;
  std::istringstream in(Log());
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  return lines;
}

std::string SiteListOf(const std::vector<std::string>& sites) {
  std::string text = "[SETUP_INFO]\r\nNUMBER=" + std::to_string(sites.size() + 1) + "\r\n";
  int n = 0;
  for (const std::string& site : sites) {
    std::vector<std::string> f;
    std::istringstream in(site);
    for (std::string part; std::getline(in, part, ',');) f.push_back(part);
    f.resize(4);
    text += "\r\n[DVR" + std::to_string(++n) + "]\r\nTYPE=" + (f[3].empty() ? "0" : f[3]) + "\r\nIP=" + f[0] +
            "\r\nPORT=" + f[1] + "\r\nID=" + f[2] + "\r\nPWD=\r\nDDNS_MEMBER=\r\nDDNS_NAME=\r\nLOCATION=    \r\n";
  }
  return text;
}

}  // namespace ostra
