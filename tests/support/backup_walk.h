// A plain, trusting walk over a backup file for tests: reads the segments
// that the writer laid out, one after another from the first header. It is
// an independent reading of the layout, used to check the writer's output
// and to feed fixture pictures to decoders.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

struct WalkedBox {
  uint32_t flags;
  uint16_t stream_type;
  uint32_t sample_flags;
  uint32_t timestamp;
  Bytes payload;
};

struct WalkedSegment {
  uint64_t offset;  // file offset of the header
  uint32_t previous, own, next, data_sectors, payload_length;
  int year, month, day, hour, minute, second;
  uint32_t format, fps;
  std::vector<WalkedBox> parameters;  // boxes of the parameter area
  std::vector<WalkedBox> boxes;       // boxes of the payload
};

Bytes ReadWholeFile(const std::string& path);

// Header fields by their byte offset in a header sector, and a writer to
// damage them with.
constexpr int kHeaderPreviousAt = 8, kHeaderDataSectorsAt = 32, kHeaderPayloadLengthAt = 36;
void PutLE32(Bytes& file, uint64_t at, uint32_t value);

// Complete segments from the first "rvdx" sector on; stops at the first
// segment that does not fit the file. Empty when there is no header.
std::vector<WalkedSegment> WalkSegments(const Bytes& file);

// Length-prefixed NAL units in Annex B form (00 00 00 01 before each).
Bytes ToAnnexB(const Bytes& length_prefixed);

// The whole video of a file as an Annex B stream, parameter sets from each
// header in front of its key frames.
Bytes VideoStream(const std::vector<WalkedSegment>& segments);

}  // namespace testsupport
