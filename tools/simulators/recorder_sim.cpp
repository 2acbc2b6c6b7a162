// recorder_sim: the recorder's side of the login over Corvane's wire protocol
// (external/corvane/PROTOCOL.md), on 127.0.0.1. It answers the opening packet
// with command 85, checks the 276-byte login request against its users and
// answers the result code; it logs every packet it receives.
//
//   recorder_sim [--port N] [--port-file PATH] [--log PATH] [--user ID:PASSWORD]...
//                [--behave normal|silent|backlog|refuse|close|excess|code:N|hostile:KIND]
//
// silent: accepts and never answers. backlog: listens, never accepts, and
// fills its own backlog so that further connections are not answered at all.
// refuse: nothing listens at the port written. close: closes each connection
// at once. excess: answers every login with 4 (too many users). code:N
// answers every login with N. hostile:KIND answers the opening packet with
// magic (a header of another magic), huge (a payload length over 1 MiB),
// short0 / short2 (a login answer with 0 or 2 payload bytes), flood (a
// thousand packets of unknown commands, then a valid refusal with code 5),
// answers (handshake answers, command 85, without end as fast as they are
// taken, and never a read again: a site manager that answers each one fills
// the buffers and then waits on its send for good), answers-then-read (ten
// thousand handshake answers, then reading and answering as usual), trickle
// (the handshake answer one byte every 1.5 s) or cut (the handshake answer,
// then half a login answer to the login request, and the connection closed).
#include <winsock2.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "login_packets.h"
#include "packet_reader.h"
#include "sim_socket.h"

namespace {

struct Recorder {
  std::map<std::string, std::string> users;
  std::string behave = "normal";
  sim::Log* log;
  uint32_t sequence = 0;

  bool Answer(SOCKET s, uint16_t command, const void* payload, uint32_t length) {
    std::vector<uint8_t> bytes = corvane::EncodePacket(command, payload, length, sequence++);
    return sim::SendAll(s, bytes.data(), bytes.size());
  }
  bool AnswerCode(SOCKET s, int32_t code) { return Answer(s, corvane::kLoginCommand, &code, 4); }

  int32_t Check(const LoginRequest& r) const {
    if (behave == "excess") return kTooManyUsers;
    if (behave.rfind("code:", 0) == 0) return int32_t(atoi(behave.c_str() + 5));
    std::string id(r.id, strnlen(r.id, sizeof(r.id))), pwd(r.password, strnlen(r.password, sizeof(r.password)));
    auto it = users.find(id);
    if (it == users.end()) return kWrongIdOrPassword;
    return it->second == pwd ? kLoginAccepted : kWrongPassword;
  }

  bool Hostile(SOCKET s, const std::string& kind) {
    if (kind == "magic") {
      std::vector<uint8_t> bytes = corvane::EncodePacket(corvane::kHandshakeAnswer, nullptr, 0, 0);
      memcpy(bytes.data(), "XXXX", 4);
      return sim::SendAll(s, bytes.data(), bytes.size());
    }
    if (kind == "huge") {
      uint8_t header[corvane::kHeaderBytes];
      corvane::WriteHeader(header, {corvane::kLoginCommand, 0x7FFFFFF0u, 0});
      return sim::SendAll(s, header, sizeof(header));
    }
    if (kind == "short0" || kind == "short2") {
      const uint8_t two[2] = {1, 0};
      return Answer(s, corvane::kHandshakeAnswer, nullptr, 0) &&
             Answer(s, corvane::kLoginCommand, two, kind == "short2" ? 2 : 0);
    }
    if (kind == "answers" || kind == "answers-then-read") {
      // Sent in blocks of 256; a send that cannot go on ends the flood.
      std::vector<uint8_t> block;
      const int blocks = kind == "answers" ? INT32_MAX : 10000 / 256 + 1;
      int sent = 0;
      for (int b = 0; b < blocks; ++b) {
        block.clear();
        for (int i = 0; i < 256; ++i) {
          std::vector<uint8_t> one = corvane::EncodePacket(corvane::kHandshakeAnswer, nullptr, 0, sequence++);
          block.insert(block.end(), one.begin(), one.end());
        }
        if (!sim::SendAll(s, block.data(), block.size())) break;
        sent += 256;
      }
      log->Line("handshake answers sent=" + std::to_string(sent));
      return kind == "answers-then-read";
    }
    if (kind == "trickle") {
      std::vector<uint8_t> bytes = corvane::EncodePacket(corvane::kHandshakeAnswer, nullptr, 0, sequence++);
      for (uint8_t byte : bytes) {
        Sleep(1500);
        if (!sim::SendAll(s, &byte, 1)) return false;
      }
      return true;
    }
    if (kind == "cut") return Answer(s, corvane::kHandshakeAnswer, nullptr, 0);
    if (kind == "flood") {
      uint8_t junk[64];
      for (int i = 0; i < 1000; ++i) {
        memset(junk, i, sizeof(junk));
        if (!Answer(s, uint16_t(1000 + i % 500), junk, uint32_t(i % 64))) return false;
      }
      return AnswerCode(s, 5);
    }
    return false;
  }

  // After a flood that read nothing: once the other side has gone, what it
  // had sent meanwhile is read and logged, then the connection closes.
  void Drain(SOCKET s, corvane::PacketReader& reader) {
    char buffer[4096];
    int n;
    while ((n = recv(s, buffer, sizeof(buffer), 0)) > 0) reader.Feed(reinterpret_cast<uint8_t*>(buffer), size_t(n));
    while (auto p = reader.Next()) {
      char line[160];
      snprintf(line, sizeof(line), "packet command=%u length=%zu", p->Command(), p->payload.size());
      log->Line(line);
    }
    closesocket(s);
    log->Line("closed");
  }

  // Serves one connection until it closes.
  void Serve(SOCKET s) {
    log->Line("connected");
    if (behave == "close") {
      closesocket(s);
      log->Line("closed by us");
      return;
    }
    corvane::PacketReader reader;
    char buffer[4096];
    int n;
    while ((n = recv(s, buffer, sizeof(buffer), 0)) > 0) {
      reader.Feed(reinterpret_cast<uint8_t*>(buffer), size_t(n));
      while (auto p = reader.Next()) {
        char line[160];
        snprintf(line, sizeof(line), "packet command=%u length=%zu", p->Command(), p->payload.size());
        log->Line(line);
        if (behave == "silent") continue;
        if (p->Command() == corvane::kHandshakeCommand) {
          if (behave.rfind("hostile:", 0) == 0) {
            if (!Hostile(s, behave.substr(8))) return Drain(s, reader);
            continue;
          }
          Answer(s, corvane::kHandshakeAnswer, nullptr, 0);
        } else if (p->Command() == corvane::kLoginCommand && behave == "hostile:cut") {
          std::vector<uint8_t> half = corvane::EncodePacket(corvane::kLoginCommand, "\1\0\0\0", 4, sequence++);
          sim::SendAll(s, half.data(), half.size() - 2);
          closesocket(s);
          log->Line("closed by us mid-packet");
          return;
        } else if (p->Command() == corvane::kLoginCommand && p->payload.size() == sizeof(LoginRequest)) {
          LoginRequest r;
          memcpy(&r, p->payload.data(), sizeof(r));
          const int32_t code = Check(r);
          snprintf(line, sizeof(line), "login id=%.127s password=%.127s flags=0x%08x one=%u answer=%d", r.id,
                   r.password, unsigned(r.flags), unsigned(r.one), int(code));
          log->Line(line);
          AnswerCode(s, code);
        }
      }
      if (reader.Bad()) {
        log->Line("unreadable packet");
        break;
      }
    }
    closesocket(s);
    log->Line("closed");
  }
};

}  // namespace

int main(int argc, char** argv) {
  sim::Options o = sim::ReadOptions(argc, argv);
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 1;
  sim::Log log(o.Value("--log"));
  Recorder r;
  r.log = &log;
  r.behave = o.Value("--behave", "normal");
  for (const std::string& u : o.Values("--user")) {
    const size_t colon = u.find(':');
    r.users[u.substr(0, colon)] = colon == std::string::npos ? "" : u.substr(colon + 1);
  }
  const bool backlog = r.behave == "backlog";
  int port = 0;
  SOCKET listener = sim::Listen(atoi(o.Value("--port", "0").c_str()), backlog ? 1 : 8, &port);
  if (listener == INVALID_SOCKET) {
    fprintf(stderr, "recorder_sim: cannot listen\n");
    return 1;
  }
  if (r.behave == "refuse") closesocket(listener);
  if (backlog) {
    // Fill the queue of connections nobody accepts; later ones get no answer.
    for (int i = 0; i < 4; ++i) {
      SOCKET c = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
      u_long nonBlocking = 1;
      ioctlsocket(c, FIONBIO, &nonBlocking);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(u_short(port));
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      connect(c, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    }
    Sleep(200);
  }
  if (!sim::WritePortFile(o.Value("--port-file"), port)) return 1;
  printf("recorder_sim: port %d\n", port);
  fflush(stdout);
  log.Line("listening port=" + std::to_string(port) + " behave=" + r.behave);
  for (;;) {
    if (backlog || r.behave == "refuse") {
      Sleep(1000);
      continue;
    }
    SOCKET s = accept(listener, nullptr, nullptr);
    if (s != INVALID_SOCKET) r.Serve(s);
  }
}
