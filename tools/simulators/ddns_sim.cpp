// ddns_sim: the dynamic-DNS service that Hostwell asks (external/hostwell/
// PROTOCOL.md), on 127.0.0.1. It answers GET /lookup?member=M[&name=N] from
// its table and logs each request line.
//
//   ddns_sim [--port N] [--port-file PATH] [--log PATH] [--entry MEMBER/NAME=ADDRESS:PORT]...
//            [--behave normal|unreachable|silent|empty|status:N|trickle]
//
// An entry without a name answers the lookup by member alone. unreachable:
// nothing listens at the port written. silent: accepts and says nothing.
// empty: status 200 without the address and port lines. status:N answers N.
// trickle: the right answer, one byte every 2 s (each byte well within a
// receive's time limit, the whole answer taking minutes).
#include <winsock2.h>

#include <cstdio>
#include <map>
#include <string>

#include "sim_socket.h"

namespace {

std::string Decoded(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out += char(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i] == '+' ? ' ' : s[i];
    }
  }
  return out;
}

// The query's value of `key`, and whether it is there.
bool Parameter(const std::string& query, const std::string& key, std::string* value) {
  for (size_t at = 0; at <= query.size();) {
    size_t end = query.find('&', at);
    if (end == std::string::npos) end = query.size();
    const std::string pair = query.substr(at, end - at);
    if (pair.rfind(key + "=", 0) == 0) {
      *value = Decoded(pair.substr(key.size() + 1));
      return true;
    }
    at = end + 1;
  }
  return false;
}

std::string Response(int status, const std::string& body) {
  return "HTTP/1.0 " + std::to_string(status) + (status == 200 ? " OK" : " Error") +
         "\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace

int main(int argc, char** argv) {
  sim::Options o = sim::ReadOptions(argc, argv);
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 1;
  sim::Log log(o.Value("--log"));
  const std::string behave = o.Value("--behave", "normal");
  std::map<std::string, std::string> table;  // "member/name" -> "address:port"
  for (const std::string& e : o.Values("--entry")) {
    const size_t eq = e.find('=');
    if (eq != std::string::npos) table[e.substr(0, eq)] = e.substr(eq + 1);
  }
  int port = 0;
  SOCKET listener = sim::Listen(atoi(o.Value("--port", "0").c_str()), 8, &port);
  if (listener == INVALID_SOCKET) return 1;
  if (behave == "unreachable") closesocket(listener);
  if (!sim::WritePortFile(o.Value("--port-file"), port)) return 1;
  printf("ddns_sim: port %d\n", port);
  fflush(stdout);
  log.Line("listening port=" + std::to_string(port) + " behave=" + behave);
  for (;;) {
    if (behave == "unreachable") {
      Sleep(1000);
      continue;
    }
    SOCKET s = accept(listener, nullptr, nullptr);
    if (s == INVALID_SOCKET) continue;
    std::string request;
    char buffer[2048];
    int n;
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384 &&
           (n = recv(s, buffer, sizeof(buffer), 0)) > 0)
      request.append(buffer, size_t(n));
    const std::string line = request.substr(0, request.find("\r\n"));
    log.Line("request " + line);
    if (behave == "silent") {
      Sleep(5000);
      closesocket(s);
      continue;
    }
    std::string answer;
    std::string target = line.rfind("GET ", 0) == 0 ? line.substr(4, line.find(' ', 4) - 4) : "";
    const size_t mark = target.find('?');
    std::string member, name;
    if (behave.rfind("status:", 0) == 0) {
      answer = Response(atoi(behave.c_str() + 7), "");
    } else if (mark == std::string::npos || target.substr(0, mark).find("/lookup") == std::string::npos ||
               !Parameter(target.substr(mark + 1), "member", &member)) {
      answer = Response(400, "");
    } else if (behave == "empty") {
      answer = Response(200, "");
    } else {
      Parameter(target.substr(mark + 1), "name", &name);
      auto it = table.find(member + "/" + name);
      if (it == table.end()) {
        answer = Response(404, "");
      } else {
        const size_t colon = it->second.rfind(':');
        answer = Response(200, "address=" + it->second.substr(0, colon) + "\r\nport=" + it->second.substr(colon + 1) + "\r\n");
      }
    }
    if (behave == "trickle") {
      size_t sent = 0;
      while (sent < answer.size() && (Sleep(2000), sim::SendAll(s, answer.data() + sent, 1))) ++sent;
      log.Line("trickled bytes=" + std::to_string(sent) + " of " + std::to_string(answer.size()));
    } else {
      sim::SendAll(s, answer.data(), answer.size());
    }
    shutdown(s, SD_SEND);
    closesocket(s);
  }
}
