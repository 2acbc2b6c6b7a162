#include "packet_reader.h"

#include <cstring>

namespace corvane {

void PacketReader::Feed(const uint8_t* data, size_t size) {
  if (bad_ || size == 0) return;
  if (start_ > 0 && start_ == pending_.size()) pending_.clear(), start_ = 0;
  pending_.insert(pending_.end(), data, data + size);
}

std::optional<Packet> PacketReader::Next() {
  if (bad_ || pending_.size() - start_ < kHeaderBytes) return std::nullopt;
  const uint8_t* h = pending_.data() + start_;
  const uint32_t length = ReadU32(h + kLengthOffset);
  if (std::memcmp(h, kMagic, 4) != 0 || length > kMaxPayloadBytes) {
    bad_ = true;
    pending_.clear();
    start_ = 0;
    return std::nullopt;
  }
  if (pending_.size() - start_ - kHeaderBytes < length) return std::nullopt;
  Packet p;
  std::memcpy(p.header, h, kHeaderBytes);
  p.payload.assign(h + kHeaderBytes, h + kHeaderBytes + length);
  start_ += kHeaderBytes + length;
  if (start_ > (1u << 16) && start_ * 2 > pending_.size()) {
    pending_.erase(pending_.begin(), pending_.begin() + ptrdiff_t(start_));
    start_ = 0;
  }
  return p;
}

bool PacketReader::Ready() const {
  if (bad_ || pending_.size() - start_ < kHeaderBytes) return false;
  const uint8_t* h = pending_.data() + start_;
  const uint32_t length = ReadU32(h + kLengthOffset);
  if (std::memcmp(h, kMagic, 4) != 0 || length > kMaxPayloadBytes) return true;
  return pending_.size() - start_ - kHeaderBytes >= length;
}

std::vector<uint8_t> EncodePacket(uint16_t command, const void* payload, uint32_t length, uint32_t sequence) {
  std::vector<uint8_t> bytes(kHeaderBytes + length);
  WriteHeader(bytes.data(), {command, length, sequence});
  if (length) std::memcpy(bytes.data() + kHeaderBytes, payload, length);
  return bytes;
}

}  // namespace corvane
