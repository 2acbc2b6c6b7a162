#include "export_movie.h"

#include <cstring>
#include <memory>
#include <optional>

#include "mulaw.h"
#include "sps_size.h"

namespace am4export {
namespace {

using backup::ParameterSetStore;
using mp4::Bytes;

// The units of a store, each behind 00 00 00 01, without their start codes.
std::vector<Bytes> StoreUnits(const ParameterSetStore& store) {
  std::vector<uint32_t> starts;
  const uint8_t* p = store.bytes;
  const uint32_t n = store.length <= backup::kParameterStoreSize ? store.length : 0;
  for (uint32_t i = 0; i + 4 <= n; ++i) {
    if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 0 && p[i + 3] == 1) {
      starts.push_back(i + 4);
      i += 3;
    }
  }
  std::vector<Bytes> units;
  for (size_t k = 0; k < starts.size(); ++k)
    units.emplace_back(p + starts[k], p + (k + 1 < starts.size() ? starts[k + 1] - 4 : n));
  return units;
}

// The units in length-prefixed form, as a key frame carries them in band.
Bytes LengthPrefixed(const std::vector<Bytes>& units) {
  Bytes out;
  for (const Bytes& u : units) {
    const uint32_t n = static_cast<uint32_t>(u.size());
    out.insert(out.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
                           static_cast<uint8_t>(n)});
    out.insert(out.end(), u.begin(), u.end());
  }
  return out;
}

bool SameSets(const ParameterSetStore& a, const ParameterSetStore& b) {
  return a.length == b.length && std::memcmp(a.bytes, b.bytes, a.length) == 0;
}

// A video track whose sample entry carries the sets, sized by the sequence
// parameter set.
mp4::Track VideoTrack(const ParameterSetStore& sets) {
  std::vector<Bytes> sps, pps;
  for (Bytes& u : StoreUnits(sets)) ((u[0] & 0x1F) == 7 ? sps : pps).push_back(std::move(u));
  const auto size = framix::SequenceSize(sets.bytes, sets.length);
  const uint16_t width = static_cast<uint16_t>(size ? size->width : 0);
  const uint16_t height = static_cast<uint16_t>(size ? size->height : 0);
  return {mp4::TrackKind::kVideo, kVideoTimescale, mp4::AvcSampleEntry(width, height, sps, pps), width, height, {}};
}

// Picture durations at a frame rate in video ticks, exact over a run of
// pictures: the remainders of 90000 / rate are spread over them.
class PictureClock {
 public:
  uint32_t Next(uint32_t rate) {
    if (rate != rate_) rate_ = rate, remainder_ = 0;
    remainder_ += kVideoTimescale % rate;
    const uint32_t extra = remainder_ >= rate ? 1 : 0;
    remainder_ -= extra * rate;
    return kVideoTimescale / rate + extra;
  }

 private:
  uint32_t rate_ = 0, remainder_ = 0;
};

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

bool SameSecond(const backup::CaptureTime& a, const backup::CaptureTime& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

ExportPlan PlanExport(const RecordingIndex& index, const GroupRange& groups) {
  ExportPlan plan;
  plan.groups = groups;
  plan.first_picture = index.group_starts[groups.first];
  plan.end_picture = index.GroupEnd(groups.first + groups.count - 1);
  plan.first_segment = index.pictures[plan.first_picture].segment;
  plan.end_segment = index.pictures[plan.end_picture - 1].segment + 1;
  for (uint32_t i = 0; i < index.sounds.size(); ++i) {
    const IndexedSound& s = index.sounds[i];
    if (s.group < groups.first || s.group - groups.first >= groups.count || s.segment < plan.first_segment) continue;
    plan.sounds.push_back({i, 0, 0});
    if (s.segment >= plan.end_segment) plan.end_segment = s.segment + 1;
  }
  const uint32_t segments = plan.end_segment - plan.first_segment;
  const ParameterSetStore& sets = index.segments[plan.first_segment].sets;
  for (uint32_t s = plan.first_segment; s < plan.end_segment; ++s)
    plan.sets_in_band.push_back(!SameSets(index.segments[s].sets, sets));
  plan.source_offset = index.segments[plan.first_segment].offset;
  plan.source_end = index.segments[plan.end_segment - 1].end;
  for (uint32_t offset : index.damaged)
    plan.damaged_segments += offset >= plan.source_offset && offset < plan.source_end;

  // Video: one sample a picture, back to back at its segment's rate.
  mp4::Track video = VideoTrack(sets);
  std::vector<uint32_t> pictures_in(segments, 0);
  std::vector<std::optional<std::pair<int64_t, uint32_t>>> anchors(segments);  // movie ticks, box timestamp
  PictureClock clock;
  int64_t pts = 0;
  for (uint32_t p = plan.first_picture; p < plan.end_picture; ++p) {
    const IndexedPicture& picture = index.pictures[p];
    const uint32_t s = picture.segment - plan.first_segment;
    const uint32_t in_band =
        picture.key && plan.sets_in_band[s]
            ? static_cast<uint32_t>(LengthPrefixed(StoreUnits(index.segments[picture.segment].sets)).size())
            : 0;
    const uint32_t duration = clock.Next(picture.frame_rate);
    video.runs.push_back({1, picture.size + in_band, duration, picture.key});
    if (!anchors[s]) anchors[s] = {pts, picture.timestamp};
    ++pictures_in[s];
    if (plan.cues.empty() || !SameSecond(plan.cues.back().time, picture.time)) plan.cues.push_back({picture.time, 0});
    plan.cues.back().duration += duration;
    pts += duration;
  }

  // Sound: each box where its timestamp puts it against the pictures of its
  // segment (or of the last segment before it with pictures). A box more
  // than a second from where the sound stands has a timestamp not to be
  // trusted: it follows on directly.
  std::vector<uint32_t> samples_in(segments, 0);
  std::pair<int64_t, uint32_t> anchor = *anchors[0];
  int64_t written = 0;
  for (SoundPlacement& placement : plan.sounds) {
    const IndexedSound& sound = index.sounds[placement.sound];
    const uint32_t s = sound.segment - plan.first_segment;
    if (anchors[s]) anchor = *anchors[s];
    const int64_t ticks = anchor.first + static_cast<int32_t>(sound.timestamp - anchor.second);
    int64_t target = FloorDiv(ticks * kSoundRate, kVideoTimescale);
    if (target > written + kSoundRate || target < written - kSoundRate) target = written;
    placement.pad = static_cast<uint32_t>(target > written ? target - written : 0);
    placement.skip = static_cast<uint32_t>(std::min<int64_t>(target < written ? written - target : 0, sound.size));
    const uint32_t samples = placement.pad + sound.size - placement.skip;
    samples_in[s] += samples;
    written += samples;
  }

  mp4::Track text{mp4::TrackKind::kText, kVideoTimescale, mp4::TextSampleEntry(), video.width, video.height, {}};
  for (const Cue& cue : plan.cues) text.runs.push_back({1, 2 + backup::kCaptureTimeTextLength, cue.duration, true});

  mp4::Movie& movie = plan.movie;
  const bool has_sound = written > 0;
  const uint32_t kVideo = 0, kSound = 1, kText = has_sound ? 2 : 1;
  movie.tracks.push_back(std::move(video));
  if (has_sound) {
    mp4::Track pcm{mp4::TrackKind::kSound, kSoundRate, mp4::PcmSampleEntry(kSoundRate), 0, 0, {}};
    for (uint32_t n : samples_in)
      if (n > 0) pcm.runs.push_back({n, 2, 1, true});
    movie.tracks.push_back(std::move(pcm));
  }
  movie.tracks.push_back(std::move(text));
  movie.chunks.push_back({kText, static_cast<uint32_t>(plan.cues.size())});
  for (uint32_t s = 0; s < segments; ++s) {
    if (pictures_in[s] > 0) movie.chunks.push_back({kVideo, pictures_in[s]});
    if (samples_in[s] > 0) movie.chunks.push_back({kSound, samples_in[s]});
  }
  return plan;
}

namespace {

// Writes through to a sink and counts what it wrote.
class CountingWriter {
 public:
  explicit CountingWriter(ByteSink& out) : out_(out) {}
  bool Write(const uint8_t* data, size_t n) {
    written += n;
    return n == 0 || out_.Write(data, n);
  }
  bool Write(const Bytes& b) { return Write(b.data(), b.size()); }
  uint64_t written = 0;

 private:
  ByteSink& out_;
};

// True when the payload still holds a box of `size` payload bytes at `at`.
bool BoxStillThere(const uint8_t* payload, uint32_t length, uint32_t at, uint32_t size) {
  return at >= backup::kBoxHeaderSize && at <= length && size <= length - at &&
         backup::BigEndian32(payload + at - backup::kBoxHeaderSize) == size + backup::kBoxHeaderSize &&
         std::memcmp(payload + at - backup::kBoxHeaderSize + 4, "qbox", 4) == 0;
}

bool WriteSound(CountingWriter& out, const uint8_t* mulaw, const SoundPlacement& placement, uint32_t size) {
  static const uint8_t kSilence[4096] = {};
  for (uint64_t left = uint64_t{placement.pad} * 2; left > 0;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, sizeof kSilence));
    if (!out.Write(kSilence, n)) return false;
    left -= n;
  }
  uint8_t pcm[4096];
  for (uint32_t i = placement.skip; i < size;) {
    size_t n = 0;
    for (; i < size && n < sizeof pcm; ++i) {
      const int16_t sample = auralis::kMuLawTable[mulaw[i]];
      pcm[n++] = static_cast<uint8_t>(sample & 0xFF);
      pcm[n++] = static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8);
    }
    if (!out.Write(pcm, n)) return false;
  }
  return true;
}

}  // namespace

bool WriteExport(backup::ByteSource& source, const RecordingIndex& index, const ExportPlan& plan, ByteSink& sink,
                 const SampleDigest& digest, std::vector<std::string>& digests) {
  digests.clear();
  const Bytes header = mp4::MovieHeader(plan.movie);
  CountingWriter out(sink);
  if (header.empty() || !out.Write(header)) return false;
  for (const Cue& cue : plan.cues) {
    if (!out.Write(mp4::TextSample(backup::FormatCaptureTime(cue.time).c_str()))) return false;
  }
  const auto payload = std::make_unique<uint8_t[]>(backup::kPayloadBufferSize);
  const Bytes kNoSets;
  uint32_t picture = plan.first_picture;
  size_t sound = 0;
  for (uint32_t s = plan.first_segment; s < plan.end_segment; ++s) {
    const IndexedSegment& segment = index.segments[s];
    if (segment.payload_length > backup::kPayloadBufferSize ||
        !backup::SeekTo(source, segment.offset + backup::kSectorSize) ||
        source.Read(segment.payload_length, payload.get()) != segment.payload_length)
      return false;
    const Bytes sets = plan.sets_in_band[s - plan.first_segment] ? LengthPrefixed(StoreUnits(segment.sets)) : Bytes{};
    for (; picture < plan.end_picture && index.pictures[picture].segment == s; ++picture) {
      const IndexedPicture& p = index.pictures[picture];
      if (!BoxStillThere(payload.get(), segment.payload_length, p.at, p.size)) return false;
      const Bytes& in_band = p.key ? sets : kNoSets;
      if (!out.Write(in_band) || !out.Write(payload.get() + p.at, p.size)) return false;
      digests.push_back(digest(in_band, payload.get() + p.at, p.size));
    }
    for (; sound < plan.sounds.size() && index.sounds[plan.sounds[sound].sound].segment == s; ++sound) {
      const IndexedSound& a = index.sounds[plan.sounds[sound].sound];
      if (!BoxStillThere(payload.get(), segment.payload_length, a.at, a.size) ||
          !WriteSound(out, payload.get() + a.at, plan.sounds[sound], a.size))
        return false;
    }
  }
  return picture == plan.end_picture && sound == plan.sounds.size() &&
         out.written == header.size() + mp4::MediaDataSize(plan.movie);
}

}  // namespace am4export
