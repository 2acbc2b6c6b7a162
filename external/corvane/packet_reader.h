// Splits a TCP byte stream into Corvane packets (header and payload). A
// header with another magic or a payload over 1 MiB makes the stream bad for
// good. Portable; both the library and the recorder simulator use it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "corvane_header.h"

namespace corvane {

struct Packet {
  uint8_t header[kHeaderBytes];
  std::vector<uint8_t> payload;
  uint16_t Command() const { return ReadU16(header + kCommandOffset); }
};

class PacketReader {
 public:
  // Takes bytes as they came.
  void Feed(const uint8_t* data, size_t size);
  // The next whole packet, if there is one and the stream is sound.
  std::optional<Packet> Next();
  // Whether Next would now give a packet or find the stream bad.
  bool Ready() const;
  bool Bad() const { return bad_; }

 private:
  std::vector<uint8_t> pending_;
  size_t start_ = 0;
  bool bad_ = false;
};

// A packet's bytes for the wire.
std::vector<uint8_t> EncodePacket(uint16_t command, const void* payload, uint32_t length, uint32_t sequence);

}  // namespace corvane
