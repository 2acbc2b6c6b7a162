// The Auralis audio decoder behind the feed's decoder interface; owns the
// decoder handle from creation to destruction.
#pragma once
#include "audio_feed.h"

namespace engine {

class AuralisDecoder : public AudioDecoder {
 public:
  static constexpr int kMode = 2;  // the recorder's sound

  AuralisDecoder();
  ~AuralisDecoder() override;
  AuralisDecoder(const AuralisDecoder&) = delete;
  AuralisDecoder& operator=(const AuralisDecoder&) = delete;

  uint32_t Decode(const uint8_t* input, uint32_t length, uint8_t* out, uint32_t room) override;
  int handle() const { return handle_; }

 private:
  int handle_;
};

}  // namespace engine
