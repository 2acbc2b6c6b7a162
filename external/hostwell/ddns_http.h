// Hostwell's exchange with the dynamic-DNS service, without sockets: the
// server URL, the lookup request and the answer. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hostwell {

struct ServerUrl {
  std::string host;
  uint16_t port = 80;
  std::string path;  // "/" when the URL has none
};
// "http://HOST[:PORT][/PATH]"; none for anything else.
std::optional<ServerUrl> ParseServerUrl(std::string_view url);

// "GET {path}lookup?member=M[&name=N] HTTP/1.0" with the values percent-encoded.
std::string LookupRequest(const ServerUrl& server, std::string_view member, const std::string* name);

struct Lookup {
  std::string address;
  int32_t port = 0;
};
// The status of an HTTP answer; none when it has no status line.
std::optional<int> AnswerStatus(std::string_view answer);
// The address and port of a 200 answer's body; none unless both lines are there.
std::optional<Lookup> AnswerLookup(std::string_view answer);

}  // namespace hostwell
