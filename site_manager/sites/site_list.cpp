#include "site_list.h"

#include <algorithm>
#include <optional>
#include <set>

#include "site_list_text.h"
#include "win32/owners.h"
#include "win32/text_codec.h"

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

  // The positions n of the sections "DVR<n>" that the file holds, from 1 to
  // `count`, in ascending order: only these can give a site, so a count far
  // beyond the file costs nothing.
  std::vector<int> SitePositions(int count) const {
    std::wstring names;
    for (DWORD size = 1 << 14;; size *= 2) {
      names.assign(size, L'\0');
      const DWORD n = GetPrivateProfileSectionNamesW(names.data(), size, path_.c_str());
      if (n + 2 < size || size >= kMaxSectionNameUnits) {
        names.resize(n);
        break;
      }
    }
    std::set<int> positions;
    for (size_t at = 0; at < names.size();) {
      const size_t end = std::min(names.find(L'\0', at), names.size());
      const std::u16string name(names.begin() + ptrdiff_t(at), names.begin() + ptrdiff_t(end));
      if (std::optional<int> n = SiteSectionNumber(name); n && *n <= count) positions.insert(*n);
      at = end + 1;
    }
    return std::vector<int>(positions.begin(), positions.end());
  }

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

DWORD LastError(DWORD fallback) {
  const DWORD e = GetLastError();
  return e ? e : fallback;
}

// Writes the bytes to a new file at `path`, whole and flushed to the disk; 0
// or the system error code (the file is then removed again).
DWORD WriteNewFile(const std::wstring& path, const std::string& bytes) {
  DWORD error = 0;
  {
    const win32::UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError(ERROR_CANNOT_MAKE);
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) || written != bytes.size())
      error = LastError(ERROR_WRITE_FAULT);
    else if (!FlushFileBuffers(file.Get()))
      error = LastError(ERROR_WRITE_FAULT);
  }
  if (error) DeleteFileW(path.c_str());
  return error;
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
  const int count = file.Count();
  if (count <= 0) return;
  // DVR1 is always looked at when the file holds it; sections without an
  // address are skipped.
  size_t loaded = 0;
  for (int n : file.SitePositions(count)) {
    SiteRecord site;
    if (!file.ReadSite(n, site, true)) continue;
    list.push_back(std::make_unique<SiteRecord>(site));
    if (++loaded == kMaxLoadedSites) break;
  }
}

DWORD SaveSiteList(SiteList& list) { return SaveSiteListIn(GetProgramDirectory(), list); }

DWORD SaveSiteListIn(const std::wstring& programDir, SiteList& list) {
  CreateDirectoryW((programDir + L"\\CONFIG\\").c_str(), nullptr);  // an existing folder is fine
  // The text is made from copies: the records get "INVALID IP" only once it is saved.
  std::vector<SiteRecord> copies;
  copies.reserve(list.size());
  for (const auto& site : list) copies.push_back(*site);
  std::vector<SiteRecord*> sites;
  for (SiteRecord& copy : copies) sites.push_back(&copy);
  const std::string bytes = win32::ToAnsi(SiteListText(sites), win32::kAnsiExact);

  // The new text goes beside the file and replaces it only once it is whole
  // on the disk: a full disk or a crash leaves the old file as it was.
  const std::wstring path = SiteListPath(programDir), beside = path + L".new";
  if (DWORD error = WriteNewFile(beside, bytes)) return error;
  if (!MoveFileExW(beside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = LastError(ERROR_WRITE_FAULT);
    DeleteFileW(beside.c_str());
    return error;
  }
  for (size_t i = 0; i < list.size(); ++i) *list[i] = copies[i];
  return 0;
}

bool ReadFirstSite(SiteRecord& site) { return ReadFirstSiteIn(GetProgramDirectory(), site); }

bool ReadFirstSiteIn(const std::wstring& programDir, SiteRecord& site) {
  SiteFile file(programDir);
  return file.Count() != 0 && file.ReadSite(1, site, false);
}
