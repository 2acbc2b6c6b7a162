// Hostwell stand-in: one HTTP/1.0 GET to the dynamic-DNS server per lookup,
// over a blocking socket with time limits. The answer stays with the thread
// that asked, for DDNSAPI_GetIPAndPort.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "ddns_http.h"
#include "hostwell.h"

namespace {

constexpr DWORD kExchangeMs = 3000;  // connect, send and each receive
constexpr size_t kMaxAnswerBytes = 64 * 1024;

std::atomic<int> gDebug{0};
// The last answer of each thread that asked (by thread id). A map under a
// lock rather than a thread_local: threads made with CreateThread by the
// caller need no thread-exit work from this library.
std::mutex gLookupsLock;  // guards gLookups
std::map<DWORD, hostwell::Lookup> gLookups;

void KeepLookup(std::optional<hostwell::Lookup> lookup) {
  std::lock_guard<std::mutex> hold(gLookupsLock);
  if (lookup)
    gLookups[GetCurrentThreadId()] = std::move(*lookup);
  else
    gLookups.erase(GetCurrentThreadId());
}

void Trace(const std::string& text) {
  if (gDebug.load()) OutputDebugStringA(("===>>> Hostwell: " + text + "\r\n").c_str());
}

std::string Utf8(const wchar_t* text) {
  if (!text) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? size_t(n) : 1, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();
  return out;
}

// Connects with a time limit; INVALID_SOCKET on failure.
SOCKET ConnectTo(const hostwell::ServerUrl& server) {
  addrinfo hints{}, *found = nullptr;
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  if (getaddrinfo(server.host.c_str(), std::to_string(server.port).c_str(), &hints, &found) != 0) return INVALID_SOCKET;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  bool connected = false;
  if (s != INVALID_SOCKET) {
    u_long mode = 1;
    ioctlsocket(s, FIONBIO, &mode);
    if (connect(s, found->ai_addr, int(found->ai_addrlen)) == 0 || WSAGetLastError() == WSAEWOULDBLOCK) {
      fd_set writable, failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(s, &writable);
      FD_SET(s, &failed);
      timeval wait{long(kExchangeMs / 1000), long(kExchangeMs % 1000) * 1000};
      int error = 0, size = sizeof(error);
      connected = select(0, nullptr, &writable, &failed, &wait) > 0 && FD_ISSET(s, &writable) &&
                  getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 && error == 0;
    }
    mode = 0;
    ioctlsocket(s, FIONBIO, &mode);
    DWORD limit = kExchangeMs;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof(limit));
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit), sizeof(limit));
  }
  freeaddrinfo(found);
  if (!connected && s != INVALID_SOCKET) closesocket(s), s = INVALID_SOCKET;
  return s;
}

// The whole answer, read until the server closes; none on failure.
std::optional<std::string> Exchange(const hostwell::ServerUrl& server, const std::string& request) {
  SOCKET s = ConnectTo(server);
  if (s == INVALID_SOCKET) return std::nullopt;
  std::optional<std::string> answer;
  if (send(s, request.data(), int(request.size()), 0) == int(request.size())) {
    std::string got;
    char buffer[4096];
    int n = 0;
    while (got.size() < kMaxAnswerBytes && (n = recv(s, buffer, sizeof(buffer), 0)) > 0) got.append(buffer, size_t(n));
    if (n == 0 || got.size() >= kMaxAnswerBytes) answer = std::move(got);
  }
  closesocket(s);
  return answer;
}

int Lookup(const wchar_t* serverText, const wchar_t* member, const wchar_t* name) {
  KeepLookup(std::nullopt);
  std::optional<hostwell::ServerUrl> server = hostwell::ParseServerUrl(Utf8(serverText));
  if (!server) {
    Trace("cannot read the server URL " + Utf8(serverText));
    return 0;
  }
  const std::string nameText = Utf8(name);
  const std::string request = hostwell::LookupRequest(*server, Utf8(member), name ? &nameText : nullptr);
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 0;
  std::optional<std::string> answer = Exchange(*server, request);
  WSACleanup();
  if (!answer || hostwell::AnswerStatus(*answer) != 200) {
    Trace(answer ? "the server refused the lookup" : "no answer from the server");
    return 0;
  }
  KeepLookup(hostwell::AnswerLookup(*answer));
  return 1;
}

}  // namespace

void DDNSAPI_DebugOnOff(int on) { gDebug = on != 0; }

int DDNSAPI_ConnectW(const wchar_t* server, const wchar_t* member, const wchar_t* name) {
  return Lookup(server, member, name ? name : L"");
}

int DDNSAPI_ConnectW(const wchar_t* server, const wchar_t* member) { return Lookup(server, member, nullptr); }

int DDNSAPI_GetIPAndPort(char* address, int size, int* port) {
  if (!address || size < 1 || !port) return 0;
  std::lock_guard<std::mutex> hold(gLookupsLock);
  auto found = gLookups.find(GetCurrentThreadId());
  if (found == gLookups.end()) return 0;
  const std::string& a = found->second.address;
  const size_t n = a.size() < size_t(size - 1) ? a.size() : size_t(size - 1);
  memcpy(address, a.data(), n);
  address[n] = 0;
  *port = found->second.port;
  return 1;
}
