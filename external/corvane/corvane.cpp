// Corvane stand-in: one TCP connection per object, read on a network thread
// of its own. The thread posts what it reads to a hidden window on the
// thread that made the object; that window sends the notifications to the
// caller's window and frees each packet once the send returns.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "corvane.h"
#include "packet_reader.h"

namespace {

constexpr UINT kConnected = WM_APP + 1;  // wParam attempt, lParam 1 connected / 0 failed
constexpr UINT kClosed = WM_APP + 2;     // wParam attempt
constexpr UINT kPacket = WM_APP + 3;     // wParam attempt, lParam a Packet*
constexpr int kPollMs = 20;              // the network thread looks at its running flag this often
constexpr wchar_t kHiddenClass[] = L"CorvaneNotifier";

void Trace(const char* text) {
  char line[160];
  wsprintfA(line, "===>>> Corvane: %s\r\n", text);
  OutputDebugStringA(line);
}

// One connection attempt, shared by the object and its network thread.
struct Attempt {
  std::atomic<int> running{1};  // cleared by NSMGAPI_Disconnect; the thread ends within kPollMs
  uint32_t number = 0;          // set before the thread starts
  HWND hidden = nullptr;
  std::mutex socketLock;        // guards socket: sends on the caller's thread, close on the network thread
  SOCKET socket = INVALID_SOCKET;
};

struct Packet {
  std::vector<uint8_t> bytes;  // header then payload, in one block
};

HMODULE ThisModule() {
  HMODULE m = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &m);
  return m;
}

}  // namespace

struct CorvaneConnection {
  HWND notify = nullptr;
  HWND hidden = nullptr;
  std::shared_ptr<Attempt> attempt;  // the current one, or none
  uint32_t attempts = 0;
  std::atomic<uint32_t> sequence{0};

  // Whether a message of the network thread belongs to the attempt in force.
  bool Current(WPARAM number) const { return attempt && attempt->number == uint32_t(number); }
};

namespace {

LRESULT CALLBACK HiddenProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* c = reinterpret_cast<CorvaneConnection*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case kPacket: {
      std::unique_ptr<Packet> packet(reinterpret_cast<Packet*>(lp));
      if (c && c->Current(wp) && IsWindow(c->notify))
        SendMessageW(c->notify, UM_PACKET, WPARAM(packet->bytes.data()),
                     LPARAM(packet->bytes.data() + corvane::kHeaderBytes));
      return 0;
    }
    case kConnected:
      if (c && c->Current(wp)) {
        if (!lp) c->attempt.reset();
        SendMessageW(c->notify, UM_CONNECT_RESULT, lp, 0);
      }
      return 0;
    case kClosed:
      if (c && c->Current(wp)) {
        c->attempt.reset();
        SendMessageW(c->notify, UM_CONNECTION_CLOSED, 0, 0);
      }
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void Post(const Attempt& a, UINT msg, LPARAM lp) { PostMessageW(a.hidden, msg, a.number, lp); }

// Connects without blocking, polling the running flag; true when connected.
bool ConnectPolling(Attempt& a, const ConnectSocketInfo& info) {
  char port[16];
  wsprintfA(port, "%d", info.port);
  addrinfo hints{}, *found = nullptr;
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  char address[sizeof(info.address)];
  memcpy(address, info.address, sizeof(address));
  address[sizeof(address) - 1] = 0;
  if (info.port <= 0 || info.port > 65535 || getaddrinfo(address, port, &hints, &found) != 0) return false;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  bool connected = false;
  if (s != INVALID_SOCKET) {
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (connect(s, found->ai_addr, int(found->ai_addrlen)) == 0 || WSAGetLastError() == WSAEWOULDBLOCK) {
      while (a.running.load()) {
        fd_set writable, failed;
        FD_ZERO(&writable);
      FD_ZERO(&failed);
        FD_SET(s, &writable);
      FD_SET(s, &failed);
        timeval wait{0, kPollMs * 1000};
        if (select(0, nullptr, &writable, &failed, &wait) <= 0) continue;
        int error = 0, size = sizeof(error);
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
        connected = FD_ISSET(s, &writable) && error == 0;
        break;
      }
    }
    if (connected) {
      u_long blocking = 0;
      ioctlsocket(s, FIONBIO, &blocking);
      std::lock_guard<std::mutex> hold(a.socketLock);
      a.socket = s;
    } else {
      closesocket(s);
    }
  }
  freeaddrinfo(found);
  return connected;
}

void CloseSocket(Attempt& a) {
  std::lock_guard<std::mutex> hold(a.socketLock);
  if (a.socket != INVALID_SOCKET) closesocket(a.socket);
  a.socket = INVALID_SOCKET;
}

void NetworkThread(std::shared_ptr<Attempt> a, ConnectSocketInfo info) {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return Post(*a, kConnected, 0);
  const bool connected = ConnectPolling(*a, info);
  if (a->running.load()) Post(*a, kConnected, connected);
  if (connected) {
    SOCKET s = a->socket;  // only this thread closes it
    corvane::PacketReader reader;
    std::vector<uint8_t> buffer(64 * 1024);
    while (a->running.load()) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(s, &readable);
      timeval wait{0, kPollMs * 1000};
      const int ready = select(0, &readable, nullptr, nullptr, &wait);
      if (ready == 0) continue;
      const int got = ready > 0 ? recv(s, reinterpret_cast<char*>(buffer.data()), int(buffer.size()), 0) : -1;
      if (got > 0) reader.Feed(buffer.data(), size_t(got));
      while (auto p = reader.Next()) {
        auto packet = std::make_unique<Packet>();
        packet->bytes.assign(p->header, p->header + corvane::kHeaderBytes);
        packet->bytes.insert(packet->bytes.end(), p->payload.begin(), p->payload.end());
        if (PostMessageW(a->hidden, kPacket, a->number, LPARAM(packet.get()))) packet.release();
      }
      if (got <= 0 || reader.Bad()) {
        Trace(reader.Bad() ? "unreadable packet, connection closed" : "closed by the other side");
        if (a->running.load()) Post(*a, kClosed, 0);
        break;
      }
    }
    CloseSocket(*a);
  }
  WSACleanup();
}

bool SendAll(Attempt& a, const std::vector<uint8_t>& bytes) {
  std::lock_guard<std::mutex> hold(a.socketLock);
  if (a.socket == INVALID_SOCKET) return false;
  for (size_t sent = 0; sent < bytes.size();) {
    const int n = send(a.socket, reinterpret_cast<const char*>(bytes.data() + sent), int(bytes.size() - sent), 0);
    if (n <= 0) return false;
    sent += size_t(n);
  }
  return true;
}

int Send(NSMG_HANDLE c, uint16_t command, const void* payload, uint32_t length) {
  if (!c || !c->attempt || length > corvane::kMaxPayloadBytes || (length && !payload)) return 0;
  return SendAll(*c->attempt, corvane::EncodePacket(command, payload, length, c->sequence++)) ? 1 : 0;
}

std::mutex gConnectionsLock;  // guards gConnections
std::vector<std::unique_ptr<CorvaneConnection>> gConnections;

}  // namespace

int NSMGAPI_Initialize() {
  WSADATA wsa;
  return WSAStartup(MAKEWORD(2, 2), &wsa) == 0 ? 1 : 0;
}

void NSMGAPI_Uninitialize() {
  {
    std::lock_guard<std::mutex> hold(gConnectionsLock);
    for (auto& c : gConnections) NSMGAPI_Disconnect(c.get());
  }
  WSACleanup();
}

NSMG_HANDLE NSMGAPI_Create(HWND window) {
  if (!IsWindow(window)) return nullptr;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(ThisModule(), kHiddenClass, &wc)) {
    wc.lpfnWndProc = HiddenProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = kHiddenClass;
    RegisterClassExW(&wc);
  }
  auto c = std::make_unique<CorvaneConnection>();
  c->notify = window;
  c->hidden = CreateWindowExW(0, kHiddenClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
  if (!c->hidden) return nullptr;
  SetWindowLongPtrW(c->hidden, GWLP_USERDATA, LONG_PTR(c.get()));
  std::lock_guard<std::mutex> hold(gConnectionsLock);
  // Objects whose window is gone are no longer reachable by their callers.
  // Their hidden windows belong to the thread that made them.
  const DWORD thread = GetCurrentThreadId();
  std::erase_if(gConnections, [thread](const std::unique_ptr<CorvaneConnection>& old) {
    if (IsWindow(old->notify) || GetWindowThreadProcessId(old->hidden, nullptr) != thread) return false;
    if (old->attempt) old->attempt->running = 0;
    DestroyWindow(old->hidden);
    return true;
  });
  gConnections.push_back(std::move(c));
  return gConnections.back().get();
}

int NSMGAPI_Connect(NSMG_HANDLE c, const ConnectSocketInfo* info) {
  if (!c || !info) return 0;
  NSMGAPI_Disconnect(c);
  auto a = std::make_shared<Attempt>();
  a->number = ++c->attempts;
  a->hidden = c->hidden;
  c->attempt = a;
  std::thread(NetworkThread, a, *info).detach();
  return 1;
}

int NSMGAPI_SendInitPacketData(NSMG_HANDLE c) { return Send(c, corvane::kHandshakeCommand, nullptr, 0); }

int NSMGAPI_SendPacketData(NSMG_HANDLE c, unsigned short command, const void* payload, unsigned int length) {
  return Send(c, command, payload, length);
}

void NSMGAPI_Disconnect(NSMG_HANDLE c) {
  if (!c || !c->attempt) return;
  c->attempt->running = 0;  // the thread closes the socket within kPollMs
  c->attempt.reset();       // what it still posts is dropped
}
