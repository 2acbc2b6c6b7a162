// Plays the sound of a backup file through CSoundManager the way the display
// worker drives it: every picture period it feeds the ring, asks the output
// to start and tells the picture's timestamp.
//   sound_manager_play FILE [UNMUTE_MS]
// UNMUTE_MS: video time at which "Audio On" is checked (default 0).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "auralis_decoder.h"
#include "backup_format.h"
#include "backup_walk.h"
#include "sound_manager.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sound_manager_play FILE [UNMUTE_MS]\n");
    return 2;
  }
  const uint32_t unmute_ticks = static_cast<uint32_t>((argc > 2 ? std::atoi(argv[2]) : 0) * 90);
  const testsupport::Bytes file = testsupport::ReadWholeFile(argv[1]);
  auto queue = std::make_unique<engine::PacketQueue>();
  std::vector<uint32_t> pictures;  // video timestamps in file order
  uint32_t fps = 0;
  for (const testsupport::WalkedSegment& s : testsupport::WalkSegments(file)) {
    const backup::SegmentHeader header = backup::ParseSegmentHeader(file.data() + s.offset);
    fps = header.frame_rate;
    backup::SplitPayload(file.data() + s.offset + 512, s.payload_length, [&](const backup::SplitFrame& f) {
      if (f.stream_kind == backup::kVideoStream) {
        pictures.push_back(f.timestamp);
      } else {
        const backup::FrameRecord record = backup::MakeFrameRecord(f, header);
        if (!queue->Push(&record, f.box, f.size)) std::fprintf(stderr, "audio queue full\n");
      }
      return true;
    });
  }
  if (pictures.empty() || fps == 0) {
    std::fprintf(stderr, "no pictures in %s\n", argv[1]);
    return 1;
  }
  const uint32_t audio_frames = queue->EntryCount();

  engine::CSoundManager sound;
  sound.Configure(40, 4608, 300, 30000, nullptr);
  if (sound.Init() != 1) {
    std::fprintf(stderr, "sound output init failed\n");
    return 1;
  }
  engine::AuralisDecoder decoder;
  engine::AudioFeed feed(decoder);

  // One display step per picture period, on an absolute schedule.
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  bool unmuted = false;
  for (size_t i = 0; i < pictures.size(); ++i) {
    feed.Feed(*queue, sound);
    sound.StartIfReady();
    sound.SetVideoTime(pictures[i]);
    if (!unmuted && pictures[i] >= unmute_ticks) {
      sound.SetMuted(false);
      sound.ApplyMute();
      unmuted = true;
    }
    const LONGLONG due = start.QuadPart + frequency.QuadPart * static_cast<LONGLONG>(i + 1) / fps;
    for (QueryPerformanceCounter(&now); now.QuadPart < due; QueryPerformanceCounter(&now)) Sleep(1);
  }
  for (int i = 0; i < 300 && sound.filled() > 0; ++i) Sleep(10);  // the last blocks play out
  Sleep(400);
  const engine::RefillCounts c = sound.counts();
  std::printf("sound_manager_play: %u audio frames, %zu pictures; refills %u, played %u, silent %u, dropped %u\n",
              audio_frames, pictures.size(), c.refills, c.played, c.silent, c.dropped);
  return c.played > 0 ? 0 : 1;
}
