// The site list file H264Site.ini in the folder CONFIG beside the program:
// loading and saving the whole list, and the first site alone.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "site_record.h"

// In file order, then in order of insertion; the list owns its records.
using SiteList = std::vector<std::unique_ptr<SiteRecord>>;

// The running program's folder, without a trailing backslash.
std::wstring GetProgramDirectory();
// Fills a buffer of MAX_PATH units with the same.
void GetProgramDirectory(wchar_t* buffer);

// Appends every site of the file; a missing file adds nothing. Values come
// as the profile functions give them (blanks around a value dropped).
void LoadSiteList(SiteList& list);
void LoadSiteListIn(const std::wstring& programDir, SiteList& list);

// Replaces the file with the list. When the file cannot be created, the
// person is told with the system's error text and the list stays as it was.
bool SaveSiteList(SiteList& list, HWND owner = nullptr);
// The same without the message: 0, or the system error code.
DWORD SaveSiteListIn(const std::wstring& programDir, SiteList& list);

// The site of section DVR1 (without its location) into site; false, with
// site untouched, when the file has no count or DVR1 no address.
bool ReadFirstSite(SiteRecord& site);
bool ReadFirstSiteIn(const std::wstring& programDir, SiteRecord& site);
