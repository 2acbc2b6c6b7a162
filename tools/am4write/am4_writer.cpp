#include "am4_writer.h"

#include <algorithm>
#include <cstdio>

namespace am4write {
namespace {

constexpr uint32_t kSector = 512;
constexpr uint32_t kTicksPerSecond = 90000;
constexpr uint32_t kAudioBoxTicks = kAudioSamplesPerBox * kTicksPerSecond / kAudioRate;  // 3240
constexpr size_t kParamAreaOffset = 400;  // length byte of the parameter area
constexpr size_t kBoxHeader = 24;

void PutLE(Bytes& b, size_t at, uint64_t v, int width) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<uint8_t>(v >> 8 * i);
}
void AppendBE(Bytes& b, uint32_t v, int width) {
  for (int i = width - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> 8 * i));
}

// A "qbox" box: size, type, flags 1, stream type, sample flags, timestamp, payload.
void AppendBox(Bytes& out, uint16_t stream_type, bool key, uint32_t timestamp, const Bytes& payload) {
  AppendBE(out, static_cast<uint32_t>(kBoxHeader + payload.size()), 4);
  out.insert(out.end(), {'q', 'b', 'o', 'x'});
  AppendBE(out, 1, 4);
  AppendBE(out, stream_type, 2);
  AppendBE(out, 0, 2);
  AppendBE(out, key ? 4 : 0, 4);
  AppendBE(out, timestamp, 4);
  out.insert(out.end(), payload.begin(), payload.end());
}

// NAL units in length-prefixed form.
Bytes LengthPrefixed(const std::vector<Bytes>& nals) {
  Bytes out;
  for (const Bytes& nal : nals) {
    AppendBE(out, static_cast<uint32_t>(nal.size()), 4);
    out.insert(out.end(), nal.begin(), nal.end());
  }
  return out;
}

struct Box {
  uint32_t timestamp;
  uint16_t stream_type;
  bool key;
  Bytes payload;
};

struct Segment {
  size_t first_picture;
  std::vector<Box> boxes;
};

// Splits the pictures into segments of `groups` groups each.
bool PlanSegments(const ElementaryStream& video, int groups, std::vector<Segment>& segments,
                  std::string& error) {
  int group_length = 0, groups_in_segment = groups;
  for (size_t i = 0; i < video.pictures.size(); ++i) {
    if (video.pictures[i].key) {
      group_length = 0;
      if (groups_in_segment == groups) {
        segments.push_back({i, {}});
        groups_in_segment = 0;
      }
      ++groups_in_segment;
    } else if (i == 0) {
      error = "the stream does not start with a key frame";
      return false;
    }
    if (++group_length > kMaxGroupPictures) {
      error = "a group of pictures is longer than 10 pictures (picture " + std::to_string(i) + ")";
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseDateTime(const std::string& text, backup::CaptureTime& out) {
  int y, mo, d, h, mi, s;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) return false;
  if (!(y >= 1996 && y <= 2251 && mo >= 1 && mo <= 12 && d >= 1 && d <= 31 && h >= 0 && h <= 23 && mi >= 0 &&
        mi <= 59 && s >= 0 && s <= 59))
    return false;
  out = {uint16_t(y), uint16_t(mo), uint16_t(d), uint16_t(h), uint16_t(mi), uint16_t(s)};
  return true;
}

bool WriteBackupFile(const WriterOptions& o, const ElementaryStream& video, std::span<const uint8_t> audio,
                     Bytes& out, std::string& error) {
  if (video.pictures.empty() || video.sps.empty() || video.pps.empty()) {
    error = "the video stream has no pictures or no parameter sets";
    return false;
  }
  if (o.fps < 1 || o.fps > 60 || o.groups_per_segment < 1) {
    error = "frame rate must be 1 to 60, groups per segment at least 1";
    return false;
  }
  Bytes params;
  AppendBox(params, 2, false, 0, LengthPrefixed({video.sps, video.pps}));
  if (params.size() > kSector - kParamAreaOffset - 1) {
    error = "the parameter sets do not fit the header's parameter area";
    return false;
  }

  std::vector<Segment> segments;
  if (!PlanSegments(video, o.groups_per_segment, segments, error)) return false;

  const auto picture_ticks = [&](size_t i) {
    return static_cast<uint32_t>(uint64_t{i} * kTicksPerSecond / o.fps);
  };
  for (size_t s = 0; s < segments.size(); ++s) {
    const size_t first = segments[s].first_picture;
    const size_t end = s + 1 < segments.size() ? segments[s + 1].first_picture : video.pictures.size();
    for (size_t i = first; i < end; ++i) {
      const Picture& p = video.pictures[i];
      segments[s].boxes.push_back({picture_ticks(i), 2, p.key, LengthPrefixed(p.nals)});
    }
    // Audio boxes whose time falls within this segment's pictures.
    const uint64_t from = picture_ticks(first), to = picture_ticks(end);
    for (uint64_t j = (from + kAudioBoxTicks - 1) / kAudioBoxTicks;
         j * kAudioBoxTicks < to && (j + 1) * kAudioSamplesPerBox <= audio.size(); ++j) {
      const auto* samples = audio.data() + j * kAudioSamplesPerBox;
      segments[s].boxes.push_back({static_cast<uint32_t>(j * kAudioBoxTicks), 1, false,
                                   Bytes(samples, samples + kAudioSamplesPerBox)});
    }
    std::stable_sort(segments[s].boxes.begin(), segments[s].boxes.end(),
                     [](const Box& a, const Box& b) { return a.timestamp < b.timestamp; });
  }

  out.clear();
  // Leftover data of the recorder's disk: never starts like a marker.
  uint32_t seed = 12345;
  for (int i = 0; i < o.filler_sectors * static_cast<int>(kSector); ++i) {
    seed = seed * 1103515245 + 12345;
    out.push_back(i % kSector == 0 ? 0 : static_cast<uint8_t>(seed >> 16));
  }
  if (o.marker != Marker::kNone) {
    static const uint8_t kMagic[3][4] = {{0xFA, 0xFF, 0xFF, 0xFF}, {0xFB, 0xFF, 0xFF, 0xFF}, {'R', 'V', 'D', 'E'}};
    const uint8_t* magic = kMagic[static_cast<int>(o.marker) - 1];
    out.insert(out.end(), magic, magic + 4);
    out.resize(out.size() + kSector - 4);
  }

  uint32_t previous_own = 0;
  for (size_t s = 0; s < segments.size(); ++s) {
    Bytes payload;
    for (const Box& b : segments[s].boxes) AppendBox(payload, b.stream_type, b.key, b.timestamp, b.payload);
    if (payload.size() > kMaxPayload) {
      error = "segment " + std::to_string(s) + " holds more than 1 MiB";
      return false;
    }
    const uint32_t data_sectors = static_cast<uint32_t>((payload.size() + kSector - 1) / kSector);
    const uint32_t own = o.sector_base + static_cast<uint32_t>(out.size() / kSector);
    const backup::CaptureTime t = backup::AddSeconds(o.start, static_cast<int64_t>(segments[s].first_picture) / o.fps);

    Bytes header(kSector, 0);
    std::copy_n("rvdx", 4, header.begin());
    PutLE(header, 8, s == 0 ? own : previous_own, 8);  // the first segment links to itself
    PutLE(header, 16, own, 8);
    PutLE(header, 24, own + 1 + data_sectors, 8);
    PutLE(header, 32, data_sectors, 4);
    PutLE(header, 36, payload.size(), 4);
    header[40] = static_cast<uint8_t>(t.day);
    header[41] = static_cast<uint8_t>(t.month);
    header[42] = static_cast<uint8_t>(t.year - 1996);
    header[44] = static_cast<uint8_t>(t.second);
    header[45] = static_cast<uint8_t>(t.minute);
    header[46] = static_cast<uint8_t>(t.hour);
    PutLE(header, 48, o.format, 4);
    PutLE(header, 52, static_cast<uint32_t>(o.fps), 4);
    header[kParamAreaOffset] = static_cast<uint8_t>(params.size());
    std::copy(params.begin(), params.end(), header.end() - params.size());

    payload.resize(size_t{data_sectors} * kSector, 0);
    if (o.truncate_last && s + 1 == segments.size()) payload.resize(data_sectors / 2 * kSector);
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), payload.begin(), payload.end());
    previous_own = own;
  }
  return true;
}

}  // namespace am4write
