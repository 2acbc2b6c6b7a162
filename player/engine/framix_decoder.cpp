#include "framix_decoder.h"

#include <climits>

#include "framix_api.h"
#include "win32/fault_guard.h"

namespace engine {
namespace {

constexpr int kFaulted = INT_MIN;

struct DecodeCall {
  int handle;
  DecodeFrameParams* params;
};

int CallDecode(void* arg) {
  auto* call = static_cast<DecodeCall*>(arg);
  return CODECAPI_DecodeFrameVideo(call->handle, 0, call->params);
}

}  // namespace

bool FramixDecoder::Init(uint32_t format_code, HWND window) {
  Uninit();
  format_code_ = format_code;
  window_ = window;
  call_back_ = format_code != 13 && format_code != 15;
  handle_ = call_back_ ? CODECAPI_DecodeInit(2, 8, window, 0, 1) : CODECAPI_DecodeInit(0, 1, window, 0, 0);
  if (handle_ >= 0 && call_back_) CODECAPI_SetCallBack(handle_, this, OnPicture, 0);
  return handle_ >= 0;
}

void FramixDecoder::Uninit() {
  if (handle_ >= 0) CODECAPI_DecodeUninit(handle_);
  handle_ = -1;
}

int FramixDecoder::Decode(DecodeFrameParams& params) {
  if (handle_ < 0) return 0;
  DecodeCall call{handle_, &params};
  const int result = win32::CallGuarded(CallDecode, &call, kFaulted, win32::GuardLayer::kBackstop);
  if (result != kFaulted) return result;
  // Its table entry goes; what the abandoned call held stays with it.
  ++abandoned_;
  Init(format_code_, window_);
  return 0;
}

void FramixDecoder::ClearMemory() {
  if (handle_ >= 0) CODECAPI_DecodeMemClear(handle_, 0);
}

int FramixDecoder::OnPicture(void* user, DecodeFrameParams* block) {
  if (block) static_cast<FramixDecoder*>(user)->stage_.StorePicture(*block);
  return 0;
}

}  // namespace engine
