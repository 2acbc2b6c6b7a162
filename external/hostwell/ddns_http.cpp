#include "ddns_http.h"

namespace hostwell {

namespace {

std::string PercentEncoded(std::string_view s) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
        c == '.' || c == '~') {
      out += char(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string_view Body(std::string_view answer) {
  size_t end = answer.find("\r\n\r\n");
  if (end != std::string_view::npos) return answer.substr(end + 4);
  end = answer.find("\n\n");
  return end != std::string_view::npos ? answer.substr(end + 2) : std::string_view();
}

}  // namespace

std::optional<ServerUrl> ParseServerUrl(std::string_view url) {
  constexpr std::string_view kScheme = "http://";
  if (url.substr(0, kScheme.size()) != kScheme) return std::nullopt;
  url.remove_prefix(kScheme.size());
  const size_t slash = url.find('/');
  std::string_view authority = url.substr(0, slash);
  ServerUrl s;
  s.path = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
  if (s.path.back() != '/') s.path += '/';
  const size_t colon = authority.find(':');
  s.host = std::string(authority.substr(0, colon));
  if (s.host.empty() || s.host.find_first_of(" @?#") != std::string::npos) return std::nullopt;
  if (colon != std::string_view::npos) {
    std::string_view digits = authority.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    uint32_t port = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      port = port * 10 + uint32_t(c - '0');
    }
    if (port == 0 || port > 65535) return std::nullopt;
    s.port = uint16_t(port);
  }
  return s;
}

std::string LookupRequest(const ServerUrl& server, std::string_view member, const std::string* name) {
  std::string line = "GET " + server.path + "lookup?member=" + PercentEncoded(member);
  if (name) line += "&name=" + PercentEncoded(*name);
  return line + " HTTP/1.0\r\nHost: " + server.host + "\r\n\r\n";
}

std::optional<int> AnswerStatus(std::string_view answer) {
  if (answer.substr(0, 5) != "HTTP/") return std::nullopt;
  const size_t space = answer.find(' ');
  if (space == std::string_view::npos || answer.size() < space + 4) return std::nullopt;
  int status = 0;
  for (size_t i = space + 1; i < space + 4; ++i) {
    if (answer[i] < '0' || answer[i] > '9') return std::nullopt;
    status = status * 10 + (answer[i] - '0');
  }
  return status;
}

std::optional<Lookup> AnswerLookup(std::string_view answer) {
  if (AnswerStatus(answer) != 200) return std::nullopt;
  std::string_view body = Body(answer);
  std::optional<std::string> address;
  std::optional<int32_t> port;
  while (!body.empty()) {
    size_t end = body.find('\n');
    std::string_view line = body.substr(0, end);
    body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, 8) == "address=") {
      address = std::string(line.substr(8));
    } else if (line.substr(0, 5) == "port=" && line.size() > 5 && line.size() <= 10) {
      int64_t value = 0;
      bool digits = true;
      for (char c : line.substr(5)) digits = digits && c >= '0' && c <= '9', value = value * 10 + (c - '0');
      if (digits && value <= INT32_MAX) port = int32_t(value);
    }
  }
  if (!address || address->empty() || !port) return std::nullopt;
  return Lookup{*address, *port};
}

}  // namespace hostwell
