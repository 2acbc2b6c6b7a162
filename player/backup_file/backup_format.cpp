#include "backup_format.h"

#include <cstring>

namespace backup {
namespace {

uint32_t LE32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t BE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

constexpr uint8_t kStartCode[4] = {0, 0, 0, 1};

bool IsVideo(uint16_t stream_type) { return stream_type == 2 || stream_type == 5; }

// Appends the parameter sets of one video box's payload to out; false when
// a parameter set reaches past the box or would overflow the store.
bool CollectParameterSets(const uint8_t* p, uint32_t length, uint8_t* out, uint32_t& used) {
  while (length >= 4) {
    const uint32_t nal = BigEndian32(p);
    const uint32_t rest = length - 4;
    if (rest == 0) break;  // no NAL byte to tell its type
    if (nal == 0) {        // an empty unit: only its length to step over
      p += 4;
      length = rest;
      continue;
    }
    const int type = p[4] & 0x1F;
    if (type == 7 || type == 8) {
      if (nal > rest || nal + 4 > kParameterStoreSize - used) return false;
      std::memcpy(out + used, kStartCode, 4);
      std::memcpy(out + used + 4, p + 4, nal);
      used += 4 + nal;
    }
    if (nal >= rest) break;  // nothing of the box after this unit
    p += 4 + nal;
    length = rest - nal;
  }
  return true;
}

}  // namespace

int ClassifySector(const uint8_t* s) {
  if (std::memcmp(s, "rvdx", 4) == 0) return 3;
  if (std::memcmp(s, "RVDE", 4) == 0) return 2;
  if ((s[0] == 0xFA || s[0] == 0xFB) && s[1] == 0xFF && s[2] == 0xFF && s[3] == 0xFF) return 1;
  return 0;
}

bool IsHeaderSector(const uint8_t* sector) { return std::memcmp(sector, "rvdx", 4) == 0; }

SegmentHeader ParseSegmentHeader(const uint8_t* s) {
  SegmentHeader h;
  h.previous_sector = LE32(s + 8);
  h.own_sector = LE32(s + 16);
  h.next_sector = LE32(s + 24);
  h.data_sectors = LE32(s + 32);
  h.payload_length = LE32(s + 36);
  h.date_word = LE32(s + 40);
  h.time_word = LE32(s + 44);
  h.video_format = LE32(s + 48);
  h.frame_rate = LE32(s + 52);
  h.parameter_length = s[kParameterAreaLengthAt];
  return h;
}

CaptureTime HeaderTime(const SegmentHeader& h) { return TimeFromWords(h.date_word, h.time_word); }

uint32_t PreviousHeaderOffset(uint32_t offset, const SegmentHeader& h) {
  return offset + (h.previous_sector - h.own_sector) * kSectorSize;
}

uint32_t NextHeaderOffset(uint32_t offset, const SegmentHeader& h) {
  return offset + (h.next_sector - h.own_sector) * kSectorSize;
}

bool SegmentFits(uint32_t offset, const SegmentHeader& h, uint64_t file_size) {
  const uint64_t data_start = uint64_t{offset} + kSectorSize;
  return data_start <= file_size && uint64_t{h.data_sectors} * kSectorSize <= file_size - data_start;
}

uint32_t ScanParameterArea(const uint8_t* sector, ParameterSetStore& store) {
  const uint32_t area = sector[kParameterAreaLengthAt];
  if (area > kMaxParameterArea) return 0;  // would overlap the header's own fields
  const uint8_t* p = sector + kSectorSize - area;
  uint32_t rest = area;
  uint8_t found[kParameterStoreSize];
  uint32_t used = 0;
  while (rest >= kBoxHeaderSize) {
    const uint32_t size = BigEndian32(p);
    if (size < kBoxHeaderSize || size > rest || std::memcmp(p + 4, "qbox", 4) != 0 || BigEndian32(p + 8) != 1)
      return 0;
    if (IsVideo(BE16(p + 12)) &&
        !CollectParameterSets(p + kBoxHeaderSize, size - kBoxHeaderSize, found, used))
      return 0;
    p += size;
    rest -= size;
  }
  if (used != 0) {
    std::memcpy(store.bytes, found, used);
    store.length = used;
  }
  return used;
}

bool ReadBox(const uint8_t* payload, uint32_t length, uint32_t at, SplitFrame& f) {
  if (at >= length || length - at < kBoxHeaderSize) return false;
  const uint8_t* box = payload + at;
  const uint32_t size = BigEndian32(box);
  if (std::memcmp(box + 4, "qbox", 4) != 0 || size < kBoxHeaderSize || size > length - at) return false;
  const uint16_t type = BE16(box + 12);
  f.box = box;
  f.size = size;
  f.timestamp = BigEndian32(box + 20);
  if (IsVideo(type)) {
    f.stream_kind = kVideoStream;
    f.frame_kind = box[19] & 4 ? kKeyFrame : kOtherFrame;
  } else {
    f.stream_kind = type == 6 ? kAudioStream6 : type == 1 ? kAudioStream1 : -1;
    f.frame_kind = kAudioFrame;
  }
  return true;
}

FrameRecord MakeFrameRecord(const SplitFrame& f, const SegmentHeader& h) {
  FrameRecord r{};
  r.stream_kind = f.stream_kind;
  r.frame_kind = f.frame_kind;
  r.timestamp = f.timestamp;
  r.data_length = f.size;
  r.date_word = h.date_word;
  r.time_word = h.time_word;
  r.frame_rate = f.stream_kind == kVideoStream ? h.frame_rate : 0;
  return r;
}

uint32_t ConvertVideoFrame(const uint8_t* box, uint32_t size, bool key, const ParameterSetStore& store,
                           uint8_t* out, uint32_t capacity) {
  uint32_t used = 0;
  const auto put = [&](const uint8_t* bytes, uint32_t n) {
    if (n > capacity - used) return false;
    if (n == 0) return true;
    std::memcpy(out + used, bytes, n);
    used += n;
    return true;
  };
  if (key && !put(store.bytes, store.length <= kParameterStoreSize ? store.length : 0)) return 0;
  if (size < kBoxHeaderSize) return used;
  const uint8_t* p = box + kBoxHeaderSize;
  uint32_t rest = size - kBoxHeaderSize;
  while (rest > 0) {
    if (rest < 4) {
      put(p, rest);
      break;
    }
    const uint32_t nal = BigEndian32(p);
    if (nal > rest - 4) break;
    if (nal + 4 > capacity - used) break;  // the unit would not fit whole
    put(kStartCode, 4);
    put(p + 4, nal);
    p += 4 + nal;
    rest -= 4 + nal;
  }
  return used;
}

}  // namespace backup
