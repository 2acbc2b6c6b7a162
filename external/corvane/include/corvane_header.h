// Corvane's portable declarations: the connection request of NSMGAPI_Connect
// and the packet header of the wire protocol (see PROTOCOL.md), 16 bytes,
// little-endian, in front of every payload. The login reads the command and
// the payload length from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The connection request of NSMGAPI_Connect.
struct ConnectSocketInfo {
  char address[260];    // zero-terminated, zero-padded
  int32_t kind;         // 2
  int32_t port;
  int32_t reserved0;    // 0
  uint8_t flag;         // 1
  uint8_t pad[3];
  uint32_t maxPacket;   // 0x100000
  int32_t reserved1;    // 0
};
static_assert(sizeof(ConnectSocketInfo) == 284);
static_assert(offsetof(ConnectSocketInfo, kind) == 260 && offsetof(ConnectSocketInfo, port) == 264);
static_assert(offsetof(ConnectSocketInfo, reserved0) == 268 && offsetof(ConnectSocketInfo, flag) == 272);
static_assert(offsetof(ConnectSocketInfo, maxPacket) == 276 && offsetof(ConnectSocketInfo, reserved1) == 280);

namespace corvane {

inline constexpr uint8_t kMagic[4] = {'C', 'R', 'V', 'N'};
inline constexpr uint16_t kVersion = 1;
inline constexpr size_t kHeaderBytes = 16;
inline constexpr uint32_t kMaxPayloadBytes = 1u << 20;  // 1 MiB; more closes the connection

inline constexpr size_t kCommandOffset = 6;
inline constexpr size_t kLengthOffset = 8;

// Commands of the login exchange.
inline constexpr uint16_t kLoginCommand = 1;        // request and answer
inline constexpr uint16_t kHandshakeCommand = 84;   // opening packet, no payload
inline constexpr uint16_t kHandshakeAnswer = 85;    // the recorder asks for the login

struct Header {
  uint16_t command = 0;
  uint32_t length = 0;    // payload bytes
  uint32_t sequence = 0;
};

inline uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t ReadU32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
inline void WriteU16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
inline void WriteU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

inline void WriteHeader(uint8_t* out, const Header& h) {
  std::memcpy(out, kMagic, 4);
  WriteU16(out + 4, kVersion);
  WriteU16(out + kCommandOffset, h.command);
  WriteU32(out + kLengthOffset, h.length);
  WriteU32(out + 12, h.sequence);
}

}  // namespace corvane
