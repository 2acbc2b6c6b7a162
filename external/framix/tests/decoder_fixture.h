// What the Framix tests share: fixture frames as the player feeds them, and
// an open decoder that is closed at the end of its scope.
#pragma once
#include <string>
#include <vector>

#include "backup_walk.h"
#include "framix_api.h"

namespace framixtest {

using testsupport::Bytes;

struct Frame {
  bool key;
  Bytes bytes;  // start-code form, parameter sets in front of a key frame
};

inline std::vector<Frame> FixtureFrames(const std::string& path) {
  std::vector<Frame> frames;
  for (const auto& segment : testsupport::WalkSegments(testsupport::ReadWholeFile(path))) {
    for (const auto& box : segment.boxes) {
      if (box.stream_type != 2) continue;
      Frame frame{(box.sample_flags & 4) != 0, {}};
      if (frame.key) {
        for (const auto& p : segment.parameters) {
          const Bytes sets = testsupport::ToAnnexB(p.payload);
          frame.bytes.insert(frame.bytes.end(), sets.begin(), sets.end());
        }
      }
      const Bytes slices = testsupport::ToAnnexB(box.payload);
      frame.bytes.insert(frame.bytes.end(), slices.begin(), slices.end());
      frames.push_back(std::move(frame));
    }
  }
  return frames;
}

// The player's two set-ups.
enum class Mode { kSync, kCallBack };

class OpenDecoder {
 public:
  explicit OpenDecoder(Mode mode)
      : handle_(mode == Mode::kSync ? CODECAPI_DecodeInit(0, 1, nullptr, 0, 0)
                                    : CODECAPI_DecodeInit(2, 8, nullptr, 0, 1)) {}
  ~OpenDecoder() {
    if (handle_ >= 0) CODECAPI_DecodeUninit(handle_);
  }
  OpenDecoder(const OpenDecoder&) = delete;
  OpenDecoder& operator=(const OpenDecoder&) = delete;
  int handle() const { return handle_; }

 private:
  int handle_;
};

inline engine::DecodeFrameParams Params(const Bytes& input, uint8_t* output, uint32_t capacity,
                                        engine::BitmapInfoHeader* header = nullptr) {
  return {sizeof(engine::DecodeFrameParams), static_cast<uint32_t>(input.size()), input.data(), capacity, 0, 0,
          output, header, 0};
}

}  // namespace framixtest
