// Writes ".am4" backup files the way a recorder lays them out: 512-byte
// sectors, one segment per group of pictures, each segment a header sector
// ("rvdx") followed by its "qbox" boxes of video and audio.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "annexb.h"
#include "capture_time.h"

namespace am4write {

// Parses "YYYY-MM-DD hh:mm:ss"; years 1996 to 2251 fit the header.
bool ParseDateTime(const std::string& text, backup::CaptureTime& out);

enum class Marker { kNone, kFA, kFB, kRVDE };

struct WriterOptions {
  int fps = 25;                     // pictures per second of the stream
  uint32_t format = 13;             // video format code of every header
  backup::CaptureTime start = {2026, 1, 1, 12, 0, 0};  // date and time of the first picture
  int groups_per_segment = 1;       // more than 1 makes segments the player must still split
  int filler_sectors = 0;           // sectors of leftover data before the first marker
  Marker marker = Marker::kNone;    // a marker sector in front of the first header
  bool truncate_last = false;       // cut the last segment's data short
  uint32_t sector_base = 1000000;   // recorder sector number of file offset 0
};

constexpr int kMaxGroupPictures = 10;      // a key frame and at most nine more
constexpr int kAudioSamplesPerBox = 1152;  // G.711 u-law, one byte a sample
constexpr int kAudioRate = 32000;
constexpr uint32_t kMaxPayload = 1 << 20;  // the player's segment buffer

// Lays out `video` and the raw u-law `audio` as a backup file in `out`.
// Returns false with a reason in `error` when the input cannot be written.
bool WriteBackupFile(const WriterOptions& options, const ElementaryStream& video,
                     std::span<const uint8_t> audio, Bytes& out, std::string& error);

}  // namespace am4write
