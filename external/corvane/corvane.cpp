// Corvane stand-in: one TCP connection per object, served by a network thread
// of its own. The thread posts what it reads to a hidden window on the
// thread that made the object; that window sends the notifications to the
// caller's window and frees each packet once the send returns. Sends never
// block the caller: they are queued for the network thread, which writes
// them as the peer takes them. The thread stops reading while the caller's
// thread has many packets still to handle, so a peer that floods can
// neither fill that thread's queue nor keep it from its timers.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "corvane.h"
#include "packet_reader.h"

namespace {

constexpr UINT kConnected = WM_APP + 1;  // wParam attempt, lParam 1 connected / 0 failed
constexpr UINT kClosed = WM_APP + 2;     // wParam attempt
constexpr UINT kPacket = WM_APP + 3;     // wParam attempt, lParam a Packet*
constexpr int kPollMs = 20;              // the network thread looks at its running flag this often
constexpr int kMaxPacketsInFlight = 64;  // posted to the hidden window and not handled yet
constexpr size_t kMaxQueuedBytes = 2 * (corvane::kHeaderBytes + corvane::kMaxPayloadBytes);  // sends not yet taken
constexpr wchar_t kHiddenClass[] = L"CorvaneNotifier";

void Trace(const char* text) {
  char line[160];
  wsprintfA(line, "===>>> Corvane: %s\r\n", text);
  OutputDebugStringA(line);
}

// One connection attempt, shared by the object, its network thread and the
// packets on their way.
struct Attempt {
  std::atomic<int> running{1};    // cleared by NSMGAPI_Disconnect; the thread ends within kPollMs
  std::atomic<int> connected{0};  // set by the thread once connected; sends are taken from then on
  std::atomic<int> inFlight{0};   // packets posted to the hidden window and not yet handled
  uint32_t number = 0;            // set before the thread starts
  HWND hidden = nullptr;
  std::mutex outLock;             // guards outgoing
  std::vector<uint8_t> outgoing;  // bytes queued by the caller's thread for the network thread
};

struct Packet {
  std::shared_ptr<Attempt> attempt;  // counts the packet in flight while it lives
  std::vector<uint8_t> bytes;        // header then payload, in one block
  ~Packet() {
    if (attempt) attempt->inFlight--;
  }
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

// Connects without blocking, polling the running flag; the connected socket
// (non-blocking), or INVALID_SOCKET.
SOCKET ConnectPolling(Attempt& a, const ConnectSocketInfo& info) {
  char port[16];
  wsprintfA(port, "%d", info.port);
  addrinfo hints{}, *found = nullptr;
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  char address[sizeof(info.address)];
  memcpy(address, info.address, sizeof(address));
  address[sizeof(address) - 1] = 0;
  if (info.port <= 0 || info.port > 65535 || getaddrinfo(address, port, &hints, &found) != 0) return INVALID_SOCKET;
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
    // The socket stays non-blocking: only the network thread uses it.
    if (!connected) closesocket(s), s = INVALID_SOCKET;
  }
  freeaddrinfo(found);
  return connected ? s : INVALID_SOCKET;
}

// Posts the packets the reader holds, as long as the caller's thread keeps
// up; those it has not taken yet stay in the reader.
void PostPackets(const std::shared_ptr<Attempt>& a, corvane::PacketReader& reader) {
  while (a->inFlight.load() < kMaxPacketsInFlight) {
    std::optional<corvane::Packet> p = reader.Next();
    if (!p) return;
    auto packet = std::make_unique<Packet>();
    packet->bytes.resize(corvane::kHeaderBytes + p->payload.size());
    memcpy(packet->bytes.data(), p->header, corvane::kHeaderBytes);
    if (!p->payload.empty()) memcpy(packet->bytes.data() + corvane::kHeaderBytes, p->payload.data(), p->payload.size());
    a->inFlight++;
    packet->attempt = a;
    if (PostMessageW(a->hidden, kPacket, a->number, LPARAM(packet.get()))) packet.release();
  }
}

// Writes what the caller queued, as much as the peer takes now; false when
// the connection failed.
bool WriteQueued(Attempt& a, SOCKET s, std::vector<uint8_t>& sending) {
  if (sending.empty()) {
    std::lock_guard<std::mutex> hold(a.outLock);
    sending.swap(a.outgoing);
  }
  if (sending.empty()) return true;
  const int n = send(s, reinterpret_cast<const char*>(sending.data()), int(sending.size()), 0);
  if (n > 0) {
    sending.erase(sending.begin(), sending.begin() + n);
    return true;
  }
  return n < 0 && WSAGetLastError() == WSAEWOULDBLOCK;
}

size_t Queued(Attempt& a) {
  std::lock_guard<std::mutex> hold(a.outLock);
  return a.outgoing.size();
}

void Serve(const std::shared_ptr<Attempt>& a, SOCKET s) {
  corvane::PacketReader reader;
  std::vector<uint8_t> buffer(64 * 1024), sending;
  bool closed = false;  // by the peer; what it sent before is still handed on
  while (a->running.load()) {
    PostPackets(a, reader);
    if (!WriteQueued(*a, s, sending)) {
      Trace("cannot send, connection closed");
      break;
    }
    const bool backlog = reader.Ready();  // read, not posted yet: the caller's thread is behind
    if (closed && !backlog) {
      Trace("closed by the other side");
      break;
    }
    if (reader.Bad() && !backlog) {
      Trace("unreadable packet, connection closed");
      break;
    }
    fd_set readable, writable;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    const bool reading = !closed && !reader.Bad() && !backlog;  // a full backlog waits for the caller's thread
    if (reading) FD_SET(s, &readable);
    if (!sending.empty() || Queued(*a) > 0) FD_SET(s, &writable);
    timeval wait{0, kPollMs * 1000};
    if (readable.fd_count == 0 && writable.fd_count == 0) {
      Sleep(kPollMs);  // the caller's thread gets time to handle what it has, and its timers
      continue;
    }
    const int ready = select(0, reading ? &readable : nullptr, writable.fd_count ? &writable : nullptr, nullptr, &wait);
    if (ready < 0) break;
    if (ready == 0 || !FD_ISSET(s, &readable)) continue;
    const int got = recv(s, reinterpret_cast<char*>(buffer.data()), int(buffer.size()), 0);
    if (got > 0)
      reader.Feed(buffer.data(), size_t(got));
    else if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
      closed = true;
  }
  if (a->running.load()) Post(*a, kClosed, 0);
}

void NetworkThread(std::shared_ptr<Attempt> a, ConnectSocketInfo info) {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return Post(*a, kConnected, 0);
  const SOCKET s = ConnectPolling(*a, info);
  const bool connected = s != INVALID_SOCKET;
  a->connected = connected;
  if (a->running.load()) Post(*a, kConnected, connected);
  if (connected) {
    Serve(a, s);
    closesocket(s);  // only this thread has it
  }
  WSACleanup();
}

// Queues a packet for the network thread; the caller never waits for the peer.
int Send(NSMG_HANDLE c, uint16_t command, const void* payload, uint32_t length) {
  if (!c || !c->attempt || !c->attempt->connected.load() || length > corvane::kMaxPayloadBytes || (length && !payload))
    return 0;
  Attempt& a = *c->attempt;
  std::lock_guard<std::mutex> hold(a.outLock);
  if (a.outgoing.size() + corvane::kHeaderBytes + length > kMaxQueuedBytes) return 0;  // the peer takes nothing
  const std::vector<uint8_t> bytes = corvane::EncodePacket(command, payload, length, c->sequence++);
  a.outgoing.insert(a.outgoing.end(), bytes.begin(), bytes.end());
  return 1;
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
