#include "site_list.h"

#include "site_list_text.h"
#include "win32/owners.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t));

namespace {

const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

std::wstring SiteListPath(const std::wstring& programDir) { return programDir + L"\\CONFIG\\H264Site.ini"; }

class SiteFile {
 public:
  explicit SiteFile(const std::wstring& programDir) : path_(SiteListPath(programDir)) {}

  int Int(const wchar_t* section, const wchar_t* key, int fallback) const {
    return static_cast<int>(GetPrivateProfileIntW(section, key, fallback, path_.c_str()));
  }
  // The value cut to maxChars characters.
  std::u16string Text(const wchar_t* section, const wchar_t* key, size_t maxChars) const {
    std::wstring value(maxChars + 1, L'\0');
    DWORD n = GetPrivateProfileStringW(section, key, L"", value.data(), DWORD(value.size()), path_.c_str());
    return std::u16string(reinterpret_cast<const char16_t*>(value.data()), n);
  }
  int Count() const { return Int(W(kSetupSection), W(kNumberKey), 0); }

  // The site of one section; false when its address is empty.
  bool ReadSite(int position, SiteRecord& site, bool withLocation) const {
    std::u16string name = SiteSectionName(position);
    const wchar_t* section = W(name.c_str());
    std::u16string ip = Text(section, L"IP", 63);
    if (ip.empty()) return false;
    site = NewSiteRecord();
    SetSiteText(site.ip, ip);
    if (withLocation) SetSiteText(site.location, Text(section, L"LOCATION", 29));
    site.port = Int(section, L"PORT", kDefaultSitePort);
    site.type = static_cast<uint8_t>(Int(section, L"TYPE", 0));
    SetSiteText(site.ddnsMember, Text(section, L"DDNS_MEMBER", 29));
    SetSiteText(site.ddnsName, Text(section, L"DDNS_NAME", 29));
    SetSiteText(site.id, Text(section, L"ID", 29));
    SetSiteText(site.pwd, Text(section, L"PWD", 29));
    return true;
  }

 private:
  std::wstring path_;
};

std::string ToAnsi(const std::u16string& text) {
  const wchar_t* wide = W(text.c_str());
  int n = WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring GetProgramDirectory() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  size_t cut = dir.rfind(L'\\');
  return cut == std::wstring::npos ? dir : dir.substr(0, cut);
}

void GetProgramDirectory(wchar_t* buffer) {
  std::wstring dir = GetProgramDirectory();
  lstrcpynW(buffer, dir.c_str(), MAX_PATH);
}

void LoadSiteList(SiteList& list) { LoadSiteListIn(GetProgramDirectory(), list); }

void LoadSiteListIn(const std::wstring& programDir, SiteList& list) {
  SiteFile file(programDir);
  int count = file.Count();
  if (count <= 0) return;
  // DVR1 is always looked at; sections without an address are skipped.
  for (int n = 1;; ++n) {
    SiteRecord site;
    if (file.ReadSite(n, site, true)) list.push_back(std::make_unique<SiteRecord>(site));
    if (n >= count) break;
  }
}

bool SaveSiteList(SiteList& list, HWND owner) {
  DWORD error = SaveSiteListIn(GetProgramDirectory(), list);
  if (error == 0) return true;
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = L"H264Site.ini cannot be written.\r\n";
  message += text ? text : L"";
  if (text) LocalFree(text);
  MessageBoxW(owner, message.c_str(), L"Ostra", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

DWORD SaveSiteListIn(const std::wstring& programDir, SiteList& list) {
  CreateDirectoryW((programDir + L"\\CONFIG\\").c_str(), nullptr);  // an existing folder is fine
  HANDLE created = CreateFileW(SiteListPath(programDir).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) return GetLastError() ? GetLastError() : ERROR_CANNOT_MAKE;
  win32::UniqueHandle file(created);
  std::vector<SiteRecord*> sites;
  for (auto& site : list) sites.push_back(site.get());
  std::string bytes = ToAnsi(SiteListText(sites));
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) || written != bytes.size())
    return GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
  return 0;
}

bool ReadFirstSite(SiteRecord& site) { return ReadFirstSiteIn(GetProgramDirectory(), site); }

bool ReadFirstSiteIn(const std::wstring& programDir, SiteRecord& site) {
  SiteFile file(programDir);
  return file.Count() != 0 && file.ReadSite(1, site, false);
}
