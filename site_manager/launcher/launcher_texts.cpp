#include "launcher_texts.h"

std::optional<uint16_t> HelpStringOf(int control) {
  switch (control) {
    case 1008: return 1;
    case 1005: return 2;
    case 1001: return 3;
    case 1002: return 4;
    case 1003: return 5;
    case 1004: return 6;
  }
  return std::nullopt;
}

bool IsFunctionControl(int control) { return HelpStringOf(control).has_value(); }

bool IsRemoteFunction(int control) { return control >= 1001 && control <= 1005; }

std::u16string IdText(std::u16string_view id) {
  std::u16string text = u"ID : ";
  text.append(id).append(u" ");
  return text.substr(0, 255);
}

std::u16string AddressText(std::u16string_view ip) {
  std::u16string text = u"IP : ";
  text.append(ip).append(u" ");
  if (text.size() >= 23) text = text.substr(0, 20) + u"...";
  return text;
}
