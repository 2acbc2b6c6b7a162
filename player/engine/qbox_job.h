// Converts the boxes of a frame: video boxes to start-code form for the
// decoder, or audio payloads appended for the audio decoder. Each output has
// a capacity that the conversion never passes.
#pragma once
#include <cstdint>

#include "backup_format.h"

namespace engine {

struct QBoxJob {
  uint32_t size;             // sizeof(QBoxJob)
  uint32_t remaining;        // input bytes not yet walked
  uint32_t video_length;     // bytes written to video_output
  uint32_t audio_length;     // bytes written to audio_output
  const uint8_t* input;
  uint8_t* video_output;
  uint8_t* audio_output;     // null: convert video; otherwise collect audio
  uint32_t video_capacity;
  uint32_t audio_capacity;
};

// Walks the job's boxes while 24 bytes remain; a box of size 0, of another
// type, or with flags lacking bit 0 ends the walk. Returns the video output
// length; key frames get the store's parameter sets in front.
uint32_t RunQBoxJob(QBoxJob& job, const backup::ParameterSetStore& store, bool key);

}  // namespace engine
