#include "mp4_writer.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace mp4 {
namespace {

constexpr uint32_t kMovieTimescale = 1000;  // ms

// Appends big-endian fields and nested boxes; End() fills in a box's size.
class BoxWriter {
 public:
  void U8(uint32_t v) { out_.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) { Put(v, 2); }
  void U32(uint32_t v) { Put(v, 4); }
  void U64(uint64_t v) { Put(v, 8); }
  void Zeros(size_t n) { out_.insert(out_.end(), n, 0); }
  void Text(const char* four) { out_.insert(out_.end(), four, four + 4); }
  void Append(const Bytes& b) { out_.insert(out_.end(), b.begin(), b.end()); }
  void Begin(const char* type) {
    open_.push_back(out_.size());
    U32(0);
    Text(type);
  }
  void BeginFull(const char* type, uint8_t version, uint32_t flags) {
    Begin(type);
    U32(uint32_t{version} << 24 | flags);
  }
  void End() {
    const size_t at = open_.back();
    open_.pop_back();
    const uint32_t size = static_cast<uint32_t>(out_.size() - at);
    for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<uint8_t>(size >> (24 - 8 * i));
  }
  // The unity matrix of tkhd and mvhd.
  void Matrix() {
    for (uint32_t v : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u}) U32(v);
  }
  Bytes Take() { return std::move(out_); }

 private:
  void Put(uint64_t v, int width) {
    for (int i = width - 1; i >= 0; --i) out_.push_back(static_cast<uint8_t>(v >> 8 * i));
  }
  Bytes out_;
  std::vector<size_t> open_;
};

// Where each track's chunks lie, found by walking the movie's chunks.
struct TrackLayout {
  std::vector<uint64_t> chunk_offsets;  // from the start of mdat's data
  std::vector<uint32_t> chunk_samples;
  uint64_t media_duration = 0;
};

bool LayOut(const Movie& movie, std::vector<TrackLayout>& layouts, uint64_t& data_size) {
  const size_t n = movie.tracks.size();
  layouts.assign(n, {});
  std::vector<size_t> run(n, 0);
  std::vector<uint32_t> used(n, 0);  // samples taken from the current run
  data_size = 0;
  for (const Chunk& c : movie.chunks) {
    if (c.track >= n) return false;
    const Track& t = movie.tracks[c.track];
    layouts[c.track].chunk_offsets.push_back(data_size);
    layouts[c.track].chunk_samples.push_back(c.samples);
    for (uint32_t left = c.samples; left > 0;) {
      if (run[c.track] >= t.runs.size()) return false;
      const SampleRun& r = t.runs[run[c.track]];
      const uint32_t take = std::min(left, r.count - used[c.track]);
      data_size += uint64_t{take} * r.size;
      left -= take;
      used[c.track] += take;
      if (used[c.track] == r.count) ++run[c.track], used[c.track] = 0;
    }
  }
  for (size_t i = 0; i < n; ++i) {
    const auto& runs = movie.tracks[i].runs;
    while (run[i] < runs.size() && runs[run[i]].count == 0) ++run[i];
    if (run[i] != runs.size()) return false;  // samples outside every chunk
    for (const SampleRun& r : runs) layouts[i].media_duration += uint64_t{r.count} * r.duration;
  }
  return true;
}

uint64_t ToMovieTime(uint64_t duration, uint32_t timescale) {
  return timescale ? duration * kMovieTimescale / timescale : 0;
}

void WriteSampleTable(BoxWriter& w, const Track& t, const TrackLayout& layout, uint64_t base, bool large) {
  w.Begin("stbl");

  w.BeginFull("stsd", 0, 0);
  w.U32(1);
  w.Append(t.sample_entry);
  w.End();

  // Decoding times: runs of one duration.
  std::vector<std::pair<uint32_t, uint32_t>> times;  // count, duration
  for (const SampleRun& r : t.runs) {
    if (r.count == 0) continue;
    if (!times.empty() && times.back().second == r.duration) {
      times.back().first += r.count;
    } else {
      times.push_back({r.count, r.duration});
    }
  }
  w.BeginFull("stts", 0, 0);
  w.U32(static_cast<uint32_t>(times.size()));
  for (const auto& [count, duration] : times) w.U32(count), w.U32(duration);
  w.End();

  // Sync samples, only when some sample is not one.
  bool all_sync = true;
  for (const SampleRun& r : t.runs) all_sync = all_sync && (r.sync || r.count == 0);
  if (!all_sync) {
    std::vector<uint32_t> sync;
    uint32_t number = 1;
    for (const SampleRun& r : t.runs) {
      for (uint32_t i = 0; i < r.count; ++i, ++number)
        if (r.sync) sync.push_back(number);
    }
    w.BeginFull("stss", 0, 0);
    w.U32(static_cast<uint32_t>(sync.size()));
    for (uint32_t s : sync) w.U32(s);
    w.End();
  }

  // Samples per chunk, an entry where the count changes.
  w.BeginFull("stsc", 0, 0);
  std::vector<std::pair<uint32_t, uint32_t>> per_chunk;  // first chunk (from 1), samples
  for (size_t c = 0; c < layout.chunk_samples.size(); ++c) {
    if (per_chunk.empty() || per_chunk.back().second != layout.chunk_samples[c])
      per_chunk.push_back({static_cast<uint32_t>(c + 1), layout.chunk_samples[c]});
  }
  w.U32(static_cast<uint32_t>(per_chunk.size()));
  for (const auto& [first, samples] : per_chunk) w.U32(first), w.U32(samples), w.U32(1);
  w.End();

  // Sample sizes: one for all when they agree.
  uint32_t total = 0, common = 0;
  bool same = true;
  for (const SampleRun& r : t.runs) {
    if (r.count == 0) continue;
    if (total == 0) common = r.size;
    same = same && r.size == common;
    total += r.count;
  }
  w.BeginFull("stsz", 0, 0);
  w.U32(same ? common : 0);
  w.U32(total);
  if (!same) {
    for (const SampleRun& r : t.runs)
      for (uint32_t i = 0; i < r.count; ++i) w.U32(r.size);
  }
  w.End();

  w.BeginFull(large ? "co64" : "stco", 0, 0);
  w.U32(static_cast<uint32_t>(layout.chunk_offsets.size()));
  for (uint64_t offset : layout.chunk_offsets) {
    if (large) {
      w.U64(base + offset);
    } else {
      w.U32(static_cast<uint32_t>(base + offset));
    }
  }
  w.End();

  w.End();  // stbl
}

void WriteTrack(BoxWriter& w, const Track& t, uint32_t id, const TrackLayout& layout, uint64_t base, bool large) {
  const uint64_t duration = ToMovieTime(layout.media_duration, t.timescale);
  w.Begin("trak");

  w.BeginFull("tkhd", 1, 3);  // enabled, in the movie
  w.U64(0);                   // creation and modification time
  w.U64(0);
  w.U32(id);
  w.U32(0);
  w.U64(duration);
  w.Zeros(8);
  w.U16(0);  // layer
  w.U16(0);  // alternate group
  w.U16(t.kind == TrackKind::kSound ? 0x0100 : 0);
  w.U16(0);
  w.Matrix();
  w.U32(uint32_t{t.width} << 16);
  w.U32(uint32_t{t.height} << 16);
  w.End();

  w.Begin("mdia");
  w.BeginFull("mdhd", 1, 0);
  w.U64(0);
  w.U64(0);
  w.U32(t.timescale);
  w.U64(layout.media_duration);
  w.U16(0x55C4);  // "und"
  w.U16(0);
  w.End();

  static const char* const kHandlers[][2] = {
      {"vide", "VideoHandler"}, {"soun", "SoundHandler"}, {"sbtl", "TextHandler"}};
  const auto& handler = kHandlers[static_cast<int>(t.kind)];
  w.BeginFull("hdlr", 0, 0);
  w.U32(0);
  w.Text(handler[0]);
  w.Zeros(12);
  const char* name = handler[1];
  w.Append(Bytes(name, name + std::strlen(name) + 1));  // with its zero
  w.End();

  w.Begin("minf");
  if (t.kind == TrackKind::kVideo) {
    w.BeginFull("vmhd", 0, 1);
    w.Zeros(8);
  } else if (t.kind == TrackKind::kSound) {
    w.BeginFull("smhd", 0, 0);
    w.Zeros(4);
  } else {
    w.BeginFull("nmhd", 0, 0);
  }
  w.End();
  w.Begin("dinf");
  w.BeginFull("dref", 0, 0);
  w.U32(1);
  w.BeginFull("url ", 0, 1);  // the data is in this file
  w.End();
  w.End();
  w.End();
  WriteSampleTable(w, t, layout, base, large);
  w.End();  // minf
  w.End();  // mdia
  w.End();  // trak
}

Bytes FileType() {
  BoxWriter w;
  w.Begin("ftyp");
  w.Text("isom");
  w.U32(0x200);
  for (const char* brand : {"isom", "iso2", "avc1", "mp41"}) w.Text(brand);
  w.End();
  return w.Take();
}

Bytes MovieBox(const Movie& movie, const std::vector<TrackLayout>& layouts, uint64_t base, bool large) {
  uint64_t duration = 0;
  for (size_t i = 0; i < movie.tracks.size(); ++i)
    duration = std::max(duration, ToMovieTime(layouts[i].media_duration, movie.tracks[i].timescale));
  BoxWriter w;
  w.Begin("moov");
  w.BeginFull("mvhd", 1, 0);
  w.U64(0);
  w.U64(0);
  w.U32(kMovieTimescale);
  w.U64(duration);
  w.U32(0x10000);  // rate 1.0
  w.U16(0x0100);   // volume 1.0
  w.Zeros(10);
  w.Matrix();
  w.Zeros(24);
  w.U32(static_cast<uint32_t>(movie.tracks.size() + 1));  // next track ID
  w.End();
  for (size_t i = 0; i < movie.tracks.size(); ++i)
    WriteTrack(w, movie.tracks[i], static_cast<uint32_t>(i + 1), layouts[i], base, large);
  w.End();
  return w.Take();
}

Bytes MediaDataHeader(uint64_t data_size) {
  BoxWriter w;
  if (data_size + 8 > UINT32_MAX) {
    w.U32(1);
    w.Text("mdat");
    w.U64(data_size + 16);
  } else {
    w.U32(static_cast<uint32_t>(data_size + 8));
    w.Text("mdat");
  }
  return w.Take();
}

}  // namespace

Bytes AvcSampleEntry(uint16_t width, uint16_t height, const std::vector<Bytes>& sps, const std::vector<Bytes>& pps) {
  BoxWriter w;
  w.Begin("avc1");
  w.Zeros(6);
  w.U16(1);  // data reference
  w.Zeros(16);
  w.U16(width);
  w.U16(height);
  w.U32(0x00480000);  // 72 dpi
  w.U32(0x00480000);
  w.U32(0);
  w.U16(1);     // one picture a sample
  w.Zeros(32);  // compressor name
  w.U16(0x18);
  w.U16(0xFFFF);
  w.Begin("avcC");
  const Bytes& first = sps.empty() ? Bytes{} : sps.front();
  w.U8(1);
  w.U8(first.size() > 1 ? first[1] : 0);  // profile, compatibility, level
  w.U8(first.size() > 2 ? first[2] : 0);
  w.U8(first.size() > 3 ? first[3] : 0);
  w.U8(0xFF);  // 4-byte NAL lengths
  w.U8(0xE0 | static_cast<uint32_t>(sps.size()));
  for (const Bytes& s : sps) w.U16(static_cast<uint32_t>(s.size())), w.Append(s);
  w.U8(static_cast<uint32_t>(pps.size()));
  for (const Bytes& p : pps) w.U16(static_cast<uint32_t>(p.size())), w.Append(p);
  w.End();
  w.End();
  return w.Take();
}

Bytes PcmSampleEntry(uint32_t sample_rate) {
  BoxWriter w;
  w.Begin("sowt");
  w.Zeros(6);
  w.U16(1);
  w.Zeros(8);  // version, revision, vendor
  w.U16(1);    // channels
  w.U16(16);   // bits a sample
  w.U32(0);    // compression id, packet size
  w.U32(sample_rate << 16);
  w.End();
  return w.Take();
}

Bytes TextSampleEntry() {
  BoxWriter w;
  w.Begin("tx3g");
  w.Zeros(6);
  w.U16(1);
  w.U32(0);    // display flags
  w.U8(1);     // centred
  w.U8(0xFF);  // at the bottom
  w.U32(0);    // transparent background
  w.Zeros(8);  // default text box: the whole track
  w.U16(0);    // style record: all characters,
  w.U16(0xFFFF);
  w.U16(1);  // font 1, plain,
  w.U8(0);
  w.U8(18);           // 18 point,
  w.U32(0xFFFFFFFF);  // white
  w.Begin("ftab");
  w.U16(1);
  w.U16(1);
  const std::string font = "Sans-Serif";
  w.U8(static_cast<uint32_t>(font.size()));
  w.Append(Bytes(font.begin(), font.end()));
  w.End();
  w.End();
  return w.Take();
}

Bytes TextSample(const char* text) {
  const size_t n = std::strlen(text);
  Bytes out{static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
  out.insert(out.end(), text, text + n);
  return out;
}

uint64_t MediaDataSize(const Movie& movie) {
  std::vector<TrackLayout> layouts;
  uint64_t size = 0;
  return LayOut(movie, layouts, size) ? size : 0;
}

Bytes MovieHeader(const Movie& movie) {
  std::vector<TrackLayout> layouts;
  uint64_t data_size = 0;
  if (!LayOut(movie, layouts, data_size)) return {};
  const Bytes file_type = FileType();
  const Bytes data_header = MediaDataHeader(data_size);
  // The boxes' sizes do not depend on the offsets' values, only on their width.
  bool large = false;
  uint64_t base = file_type.size() + MovieBox(movie, layouts, 0, large).size() + data_header.size();
  if (base + data_size > UINT32_MAX) {
    large = true;
    base = file_type.size() + MovieBox(movie, layouts, 0, large).size() + data_header.size();
  }
  Bytes out = file_type;
  const Bytes moov = MovieBox(movie, layouts, base, large);
  out.insert(out.end(), moov.begin(), moov.end());
  out.insert(out.end(), data_header.begin(), data_header.end());
  return out;
}

}  // namespace mp4
