// One recorder site: a fixed-size record copied whole between the site list,
// its dialogs, the login and the launcher. Text fields are UTF-16, always
// terminated within their width. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr int32_t kSiteRecordSize = 432;
constexpr int32_t kDefaultSitePort = 50000;

struct SiteRecord {
  int32_t size;  // kSiteRecordSize once created; copies are taken only from such records
  uint8_t type;  // 0 address typed by the user, otherwise looked up by dynamic DNS
  char16_t ip[60];
  char16_t location[31];
  int32_t port;
  char16_t ddnsMember[30];
  char16_t ddnsName[30];
  char16_t id[30];
  char16_t pwd[30];
};
static_assert(sizeof(SiteRecord) == kSiteRecordSize);
static_assert(offsetof(SiteRecord, type) == 4 && offsetof(SiteRecord, ip) == 6);
static_assert(offsetof(SiteRecord, location) == 126 && offsetof(SiteRecord, port) == 188);
static_assert(offsetof(SiteRecord, ddnsMember) == 192 && offsetof(SiteRecord, ddnsName) == 252);
static_assert(offsetof(SiteRecord, id) == 312 && offsetof(SiteRecord, pwd) == 372);

// All zeros but the size.
inline SiteRecord NewSiteRecord() {
  SiteRecord r{};
  r.size = kSiteRecordSize;
  return r;
}

// Stores text in a field, cut to at most maxChars and to the field's width.
template <size_t N>
void SetSiteText(char16_t (&field)[N], std::u16string_view text, size_t maxChars = N - 1) {
  size_t n = text.size() < maxChars ? text.size() : maxChars;
  if (n > N - 1) n = N - 1;
  for (size_t i = 0; i < n; ++i) field[i] = text[i];
  for (size_t i = n; i < N; ++i) field[i] = 0;
}

template <size_t N>
std::u16string_view SiteText(const char16_t (&field)[N]) {
  size_t n = 0;
  while (n < N && field[n]) ++n;
  return {field, n};
}
