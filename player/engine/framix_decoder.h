// The decode stage's video decoder on the Framix library: synchronous mode
// for format codes 13 and 15, call-back mode for the others. Every decode
// runs under the fault guard.
#pragma once
#include <windows.h>

#include <cstdint>

#include "decode_stage.h"

namespace engine {

class FramixDecoder : public VideoDecoder {
 public:
  explicit FramixDecoder(DecodeStage& stage) : stage_(stage) {}
  FramixDecoder(const FramixDecoder&) = delete;
  FramixDecoder& operator=(const FramixDecoder&) = delete;
  ~FramixDecoder() { Uninit(); }

  // Sets the decoder up for a recording's video format code.
  bool Init(uint32_t format_code, HWND window);
  void Uninit();

  int Decode(DecodeFrameParams& params) override;
  void ClearMemory() override;
  bool CallsBack() const override { return call_back_; }

 private:
  static int OnPicture(void* user, DecodeFrameParams* block);

  DecodeStage& stage_;
  int handle_ = -1;
  bool call_back_ = false;
};

}  // namespace engine
