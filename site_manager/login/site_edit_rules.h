// The site edit dialog's rules that need no window: where each control sits
// for a dynamic-DNS mode, the port guard, and the checks of OK in their
// order. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "site_record.h"

// DDNS.ini's mode: 1 member ID and name, 3 no dynamic DNS, others member ID alone.
inline constexpr int kDdnsByName = 1;
inline constexpr int kNoDdns = 3;

// Control identifiers of the dialog.
enum SiteEditControl : int {
  kGroupBox = 1020, kConnectionBox = 1021, kLoginBox = 1022,
  kMemberLabel = 1023, kNameLabel = 1024, kAddressLabel = 1025, kPortLabel = 1026,
  kUserIdLabel = 1027, kPasswordLabel = 1028,
  kManualRadio = 1030, kDdnsRadio = 1031,
  kMemberEdit = 1032, kNameEdit = 1033, kLookupButton = 1034, kAddressEdit = 1035, kPortEdit = 1036,
  kUserIdEdit = 1037, kPasswordEdit = 1038, kOkButton = 1058, kCancelButton = 1059,
  kLocationLabel = 2066, kLocationEdit = 2067,
};

struct ControlPlace {
  int id;
  int x, y, width, height;  // client pixels
};

struct SiteEditLayout {
  int width, height;                  // the window, pixels
  std::vector<ControlPlace> shown;
  std::vector<int> hidden;
};
SiteEditLayout LayoutFor(int ddnsMode);

// The port edit's text as the guard reads it: a signed number (0 for none);
// a value above 65530 taken as unsigned is replaced by 65530.
inline constexpr int32_t kHighestPort = 65530;
int32_t PortValue(std::u16string_view text);
std::optional<int32_t> GuardedPort(std::u16string_view text);

// What the person typed, as the dialog reads it.
struct SiteEditFields {
  bool useDdns = false;
  std::u16string member, name, address, port, location, id, pwd;
};

struct SiteEditMessage {
  const char16_t* key;
  const char16_t* text;
};

struct SiteEditCheck {
  std::optional<SiteEditMessage> failure;  // the first failed check
  bool lookupFirst = false;                // start a lookup before showing it
  SiteRecord record{};                     // the edited site when nothing failed
};
SiteEditCheck CheckSiteEdit(const SiteEditFields& fields, int ddnsMode);
