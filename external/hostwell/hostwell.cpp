// Hostwell stand-in: one HTTP/1.0 GET to the dynamic-DNS server per lookup,
// with one deadline for the whole exchange. The answer stays with the thread
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
#include "win32/text_codec.h"

namespace {

constexpr ULONGLONG kLookupMs = 5000;  // connecting, asking and the whole answer
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

// The time left until `deadline` (GetTickCount64), at least 0.
timeval Left(ULONGLONG deadline) {
  const ULONGLONG now = GetTickCount64();
  const ULONGLONG ms = deadline > now ? deadline - now : 0;
  return timeval{long(ms / 1000), long(ms % 1000) * 1000};
}

// Waits until the socket can be read (or written); false at the deadline.
bool WaitFor(SOCKET s, bool write, ULONGLONG deadline) {
  fd_set ready, failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(s, &ready);
  FD_SET(s, &failed);
  timeval wait = Left(deadline);
  return select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &wait) > 0 && FD_ISSET(s, &ready);
}

// Connects before the deadline; a non-blocking socket, or INVALID_SOCKET.
SOCKET ConnectTo(const hostwell::ServerUrl& server, ULONGLONG deadline) {
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
      int error = 0, size = sizeof(error);
      connected = WaitFor(s, true, deadline) &&
                  getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 && error == 0;
    }
  }
  freeaddrinfo(found);
  if (!connected && s != INVALID_SOCKET) closesocket(s), s = INVALID_SOCKET;
  return s;
}

// The whole answer, read until the server closes, all within one deadline
// for connecting, asking and reading however the server paces its bytes;
// none on failure or when the time is up.
std::optional<std::string> Exchange(const hostwell::ServerUrl& server, const std::string& request) {
  const ULONGLONG deadline = GetTickCount64() + kLookupMs;
  SOCKET s = ConnectTo(server, deadline);
  if (s == INVALID_SOCKET) return std::nullopt;
  std::optional<std::string> answer;
  size_t sent = 0;
  while (sent < request.size() && WaitFor(s, true, deadline)) {
    const int n = send(s, request.data() + sent, int(request.size() - sent), 0);
    if (n <= 0) break;
    sent += size_t(n);
  }
  if (sent == request.size()) {
    std::string got;
    char buffer[4096];
    while (got.size() < kMaxAnswerBytes && WaitFor(s, false, deadline)) {
      const int n = recv(s, buffer, sizeof(buffer), 0);
      if (n == 0) {  // the server closed: the answer is whole
        answer = std::move(got);
        break;
      }
      if (n < 0) break;
      got.append(buffer, size_t(n));
    }
    if (got.size() >= kMaxAnswerBytes) answer = std::move(got);
    if (!answer) Trace(GetTickCount64() >= deadline ? "no whole answer in time" : "the answer broke off");
  }
  closesocket(s);
  return answer;
}

int Lookup(const wchar_t* serverText, const wchar_t* member, const wchar_t* name) {
  KeepLookup(std::nullopt);
  std::optional<hostwell::ServerUrl> server = hostwell::ParseServerUrl(win32::ToUtf8(serverText));
  if (!server) {
    Trace("cannot read the server URL " + win32::ToUtf8(serverText));
    return 0;
  }
  const std::string nameText = win32::ToUtf8(name);
  const std::string request = hostwell::LookupRequest(*server, win32::ToUtf8(member), name ? &nameText : nullptr);
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
