#include "host_port.h"

std::u16string HostPortText(int32_t port) {
  const uint32_t value = uint32_t(port);  // compared unsigned: negative ports are out of range too
  if (value < 1 || value > kHighestHostPort) return {};
  std::u16string text;
  for (uint32_t v = value; v; v /= 10) text.insert(text.begin(), char16_t(u'0' + v % 10));
  return text;
}
