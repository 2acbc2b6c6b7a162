// The decode stage's video decoder on the Framix library: synchronous mode
// for format codes 13 and 15, call-back mode for the others. Every decode
// runs under a backstop fault guard: a fault that the library did not catch
// itself leaves its locks and state behind, so that decoder is abandoned,
// never called again, and a new one takes its place.
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
  int Handle() const { return handle_; }
  // Decoders abandoned after a fault.
  int Abandoned() const { return abandoned_; }

 private:
  static int OnPicture(void* user, DecodeFrameParams* block);

  DecodeStage& stage_;
  int handle_ = -1;
  bool call_back_ = false;
  uint32_t format_code_ = 0;
  HWND window_ = nullptr;
  int abandoned_ = 0;
};

}  // namespace engine
