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

// At most this many sites are loaded, whatever the file claims.
inline constexpr size_t kMaxLoadedSites = 1000;
// The section names read from the file, at most (UTF-16 units).
inline constexpr DWORD kMaxSectionNameUnits = 1 << 22;

// Appends the sites of the file's sections DVR1 to DVR<NUMBER - 1> that the
// file holds, in the order of their numbers (at most kMaxLoadedSites); a
// missing file adds nothing. Values come as the profile functions give them
// (blanks around a value dropped).
void LoadSiteList(SiteList& list);
void LoadSiteListIn(const std::wstring& programDir, SiteList& list);

// Replaces the file with the list: the new text is written beside it,
// flushed, and then moved over it, so a save that fails (a full disk, a file
// that cannot be replaced) or is cut short leaves the old file whole. 0, or
// the system error code; on failure the list and the file stay as they were.
// Saved records with an empty address hold "INVALID IP" afterwards.
DWORD SaveSiteList(SiteList& list);
DWORD SaveSiteListIn(const std::wstring& programDir, SiteList& list);

// The site of section DVR1 (without its location) into site; false, with
// site untouched, when the file has no count or DVR1 no address.
bool ReadFirstSite(SiteRecord& site);
bool ReadFirstSiteIn(const std::wstring& programDir, SiteRecord& site);
