// The text of the site list file as it is saved, before the conversion to
// the system's ANSI code page: one SETUP_INFO section, then a section per
// site, lines ending in CR LF. Portable.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "site_record.h"

// Names of the file's sections and keys.
inline constexpr char16_t kSetupSection[] = u"SETUP_INFO";
inline constexpr char16_t kNumberKey[] = u"NUMBER";
inline constexpr char16_t kSitePrefix[] = u"DVR";

// "DVR" followed by the 1-based position.
std::u16string SiteSectionName(int position);
// The position of a section name as the file holds it, when it is the name
// of that position as the profile functions find it ("DVR" in any letter
// case, the number in decimal without leading zeros or sign, blanks around
// it ignored); none for any other name.
std::optional<int> SiteSectionNumber(std::u16string_view name);

// The whole file. A record with an empty address is given "INVALID IP",
// in the record itself, before it is written.
std::u16string SiteListText(std::span<SiteRecord* const> sites);
