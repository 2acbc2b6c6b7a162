// Ostra.exe with its libraries in a folder of its own, with its CONFIG
// files, started and ended by the test; the simulators it talks to; and the
// site manager's dialogs found and driven with real input.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ui_driver.h"

namespace ostra {

// The folder of the running test program (where the build puts every binary).
std::wstring TestFolder();

class OstraFolder {
 public:
  // `velmora` is the skin library to copy, relative to the test folder.
  explicit OstraFolder(const std::string& siteList = "", const std::wstring& velmora = L"Velmora.dll");
  OstraFolder(const OstraFolder&) = delete;
  OstraFolder& operator=(const OstraFolder&) = delete;
  ~OstraFolder();

  void WriteConfig(const wchar_t* name, const std::string& text);
  std::string ReadConfig(const wchar_t* name) const;
  std::wstring ConfigPath(const wchar_t* name) const { return dir_ + L"\\CONFIG\\" + name; }

  // Starts one more copy; its process index, or SIZE_MAX.
  size_t Start();
  DWORD Pid(size_t i) const { return processes_[i].dwProcessId; }
  bool Running(size_t i = 0) const { return WaitForSingleObject(processes_[i].hProcess, 0) == WAIT_TIMEOUT; }
  bool WaitExit(size_t i, DWORD& code) const;
  // Starts the first copy and waits for its launcher, drawn and in front.
  HWND Launch();
  // Cancel, clicked; true when the program then ended with 0.
  bool Cancel(HWND launcher, size_t i = 0);

 private:
  std::wstring dir_;
  bool installed_ = false;  // an installed Ostra: its files are left alone
  std::vector<PROCESS_INFORMATION> processes_;
};

// The first visible top-level window of a process, of a class if given.
HWND WindowOf(DWORD pid, const wchar_t* className = nullptr);
// A visible top-level dialog of the process that holds control `id`.
HWND DialogWith(DWORD pid, int id, HWND except = nullptr);
HWND WaitDialogWith(DWORD pid, int id, int ms = 5000);
// The text of a message box of the process, or "" when none shows.
std::wstring MessageShown(DWORD pid);
std::wstring WaitMessage(DWORD pid, int ms = 5000);
// Clicks the OK of the message box showing; true when it went.
bool CloseMessage(DWORD pid);
std::wstring TextOf(HWND w);

// Real input on a dialog's controls.
void ClickControl(HWND dialog, int id);
// Clicks into an edit, removes what it holds and types text.
void TypeInto(HWND dialog, int id, const std::wstring& text);

// A skin rectangle of the launcher on the screen.
RECT LauncherRect(HWND launcher, WORD skinId);
POINT Centre(const RECT& r);
// Which face of a launcher button shows: 0 normal, 3 disabled, -1 another.
int ButtonFace(HWND launcher, WORD skinId);

// A simulator from the test folder on 127.0.0.1, with its log.
class Simulator {
 public:
  Simulator(const wchar_t* program, const std::wstring& arguments);
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;
  ~Simulator();
  int Port() const { return port_; }
  std::string Log() const;
  // Lines of the log that begin with `prefix`.
  std::vector<std::string> LogLines(const std::string& prefix) const;

 private:
  std::wstring base_;
  PROCESS_INFORMATION process_{};
  int port_ = 0;
};

// A site list of sites given as "ip,port,id,type" (type optional), for CONFIG\H264Site.ini.
std::string SiteListOf(const std::vector<std::string>& sites);

}  // namespace ostra
