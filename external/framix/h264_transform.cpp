#include "h264_transform.h"

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <wmcodecdsp.h>

#include <cstring>

#include "win32/fault_guard.h"

namespace framix {
namespace {

constexpr uint8_t kDelimiter[] = {0, 0, 0, 1, 0x09, 0xF0};  // access unit delimiter, any slice type
constexpr int kTakeTries = 8;  // stream changes and retries before giving up on one call
// MF_LOW_LATENCY (Windows 8 and later): output each picture as soon as it is
// decoded. Wine's decoder needs the delimiter instead.
constexpr GUID kLowLatency = {0x9c27891a, 0xed7a, 0x40e1, {0x88, 0xe8, 0xb2, 0x27, 0x27, 0xa0, 0x24, 0xee}};

using MtaUsageFn = HRESULT(WINAPI*)(HANDLE*);
using MtaReleaseFn = HRESULT(WINAPI*)(HANDLE);

template <class Fn>
Fn Ole32(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ole32.dll"), name)));
}

}  // namespace

// CoIncrementMTAUsage came with Windows 8; it is looked up so that the DLL
// still loads where it is missing (decoders then fail to open).
MediaRuntime::MediaRuntime() {
  if (const auto increment = Ole32<MtaUsageFn>("CoIncrementMTAUsage")) {
    HANDLE cookie = nullptr;
    if (SUCCEEDED(increment(&cookie))) mta_cookie_ = cookie;
  }
  media_up_ = SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_NOSOCKET));
}

MediaRuntime::~MediaRuntime() {
  if (media_up_) MFShutdown();
  if (mta_cookie_) Ole32<MtaReleaseFn>("CoDecrementMTAUsage")(mta_cookie_);
}

bool H264Transform::Open() {
  if (FAILED(CoCreateInstance(CLSID_CMSH264DecoderMFT, nullptr, CLSCTX_INPROC_SERVER, IID_IMFTransform,
                              mft_.PutVoid())))
    return false;
  win32::ComPtr<IMFAttributes> attributes;
  if (SUCCEEDED(mft_->GetAttributes(attributes.Put()))) attributes->SetUINT32(kLowLatency, TRUE);

  win32::ComPtr<IMFMediaType> in;
  if (FAILED(MFCreateMediaType(in.Put())) || FAILED(in->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video)) ||
      FAILED(in->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_H264)) || FAILED(mft_->SetInputType(0, in.Get(), 0)) ||
      !ChooseOutputType())
    return false;
  mft_->ProcessMessage(MFT_MESSAGE_NOTIFY_BEGIN_STREAMING, 0);
  mft_->ProcessMessage(MFT_MESSAGE_NOTIFY_START_OF_STREAM, 0);
  return true;
}

// Planar I420 first: Wine's decoder hands it over as decoded, while NV12
// costs it a conversion of every picture.
bool H264Transform::ChooseOutputType() {
  win32::ComPtr<IMFMediaType> chosen;
  bool planar = false;
  for (DWORD i = 0;; ++i) {
    win32::ComPtr<IMFMediaType> type;
    if (FAILED(mft_->GetOutputAvailableType(0, i, type.Put()))) break;
    GUID subtype{};
    if (FAILED(type->GetGUID(MF_MT_SUBTYPE, &subtype))) continue;
    const bool is_planar = subtype == MFVideoFormat_I420 || subtype == MFVideoFormat_IYUV;
    if ((is_planar || subtype == MFVideoFormat_NV12) && (!chosen || (is_planar && !planar))) {
      chosen = std::move(type);
      planar = is_planar;
    }
  }
  if (!chosen || FAILED(mft_->SetOutputType(0, chosen.Get(), 0))) return false;
  planar_ = planar;

  if (FAILED(MFGetAttributeSize(chosen.Get(), MF_MT_FRAME_SIZE, &frame_width_, &frame_height_))) {
    frame_width_ = frame_height_ = 0;
  }
  MFVideoArea area{};
  aperture_.reset();
  if (SUCCEEDED(chosen->GetBlob(MF_MT_MINIMUM_DISPLAY_APERTURE, reinterpret_cast<UINT8*>(&area), sizeof area,
                                nullptr)))
    aperture_ = area;
  UINT32 stride = 0;
  default_stride_ = SUCCEEDED(chosen->GetUINT32(MF_MT_DEFAULT_STRIDE, &stride)) ? static_cast<LONG>(stride)
                                                                                : static_cast<LONG>(frame_width_);
  MFT_OUTPUT_STREAM_INFO info{};
  if (FAILED(mft_->GetOutputStreamInfo(0, &info))) return false;
  provides_samples_ = info.dwFlags & (MFT_OUTPUT_STREAM_PROVIDES_SAMPLES | MFT_OUTPUT_STREAM_CAN_PROVIDE_SAMPLES);
  const DWORD size = info.cbSize ? info.cbSize : frame_width_ * frame_height_ * 3 / 2;
  if (!provides_samples_ && (!output_ || size > output_size_)) {
    win32::ComPtr<IMFMediaBuffer> buffer;
    if (FAILED(MFCreateMemoryBuffer(size, buffer.Put())) || FAILED(MFCreateSample(output_.Put())) ||
        FAILED(output_->AddBuffer(buffer.Get())))
      return false;
    output_size_ = size;
  }
  return true;
}

namespace {

// One call into the system's decoder, under the fault guard: a fault inside
// it fails the call, and the caller restarts the decoder. The guarded region
// is that call alone; every lock and owner of ours lies outside it.
struct TransformCall {
  IMFTransform* mft;
  IMFSample* input;                  // ProcessInput, or
  MFT_OUTPUT_DATA_BUFFER* output;    // ProcessOutput
  DWORD* status;
  bool fault;                        // a fault raised on request, for tests
  HRESULT result;
};

int CallTransform(void* arg) {
  auto* call = static_cast<TransformCall*>(arg);
  if (call->fault) *static_cast<volatile int*>(nullptr) = 0;
  call->result = call->input ? call->mft->ProcessInput(0, call->input, 0)
                             : call->mft->ProcessOutput(0, 1, call->output, call->status);
  return 0;
}

HRESULT Guarded(TransformCall call) {
  return win32::CallGuarded(CallTransform, &call, -1) < 0 ? E_UNEXPECTED : call.result;
}

}  // namespace

bool H264Transform::Feed(const uint8_t* data, uint32_t length) {
  if (const auto size = SequenceSize(data, length)) coded_size_ = size;
  const DWORD total = length + sizeof kDelimiter;
  win32::ComPtr<IMFMediaBuffer> buffer;
  BYTE* bytes = nullptr;
  if (FAILED(MFCreateMemoryBuffer(total, buffer.Put())) || FAILED(buffer->Lock(&bytes, nullptr, nullptr)))
    return false;
  std::memcpy(bytes, data, length);
  std::memcpy(bytes + length, kDelimiter, sizeof kDelimiter);
  buffer->Unlock();
  win32::ComPtr<IMFSample> sample;
  if (FAILED(buffer->SetCurrentLength(total)) || FAILED(MFCreateSample(sample.Put())) ||
      FAILED(sample->AddBuffer(buffer.Get())) || FAILED(sample->SetSampleTime(time_++)))
    return false;
  return SUCCEEDED(Guarded({mft_.Get(), sample.Get(), nullptr, nullptr, fault_next_.exchange(false), S_OK}));
}

H264Transform::Next H264Transform::Take(const std::function<void(const YuvView&)>& use) {
  for (int tries = 0; tries < kTakeTries; ++tries) {
    MFT_OUTPUT_DATA_BUFFER out{};
    out.pSample = provides_samples_ ? nullptr : output_.Get();
    DWORD status = 0;
    const HRESULT hr = Guarded({mft_.Get(), nullptr, &out, &status, false, S_OK});
    if (out.pEvents) out.pEvents->Release();
    win32::ComPtr<IMFSample> given;  // a sample the decoder allocated is ours to release
    if (out.pSample && out.pSample != output_.Get()) *given.Put() = out.pSample;

    if (hr == MF_E_TRANSFORM_NEED_MORE_INPUT) return Next::kNeedInput;
    if (hr == MF_E_TRANSFORM_STREAM_CHANGE) {
      if (!ChooseOutputType()) return Next::kError;
      continue;
    }
    if (FAILED(hr) || !out.pSample) return Next::kError;
    return Show(out.pSample, use) ? Next::kPicture : Next::kError;
  }
  return Next::kError;
}

bool H264Transform::Show(IMFSample* sample, const std::function<void(const YuvView&)>& use) {
  win32::ComPtr<IMFMediaBuffer> buffer;
  if (FAILED(sample->ConvertToContiguousBuffer(buffer.Put()))) return false;
  BYTE* data = nullptr;
  DWORD length = 0;
  if (FAILED(buffer->Lock(&data, nullptr, &length))) return false;

  // The picture: the type's display area; else the stream's own size, as
  // Wine pads the planar types' width to 32 and gives no area; else all.
  int x = 0, y = 0, width = static_cast<int>(frame_width_), height = static_cast<int>(frame_height_);
  if (aperture_) {
    x = aperture_->OffsetX.value;
    y = aperture_->OffsetY.value;
    width = aperture_->Area.cx;
    height = aperture_->Area.cy;
  } else if (coded_size_ && coded_size_->width <= width && coded_size_->height <= height) {
    width = coded_size_->width;
    height = coded_size_->height;
  }
  // Y rows, then U and V planes of half the stride (I420) or U V rows of
  // the whole stride (NV12), all frame_height_ rows tall before halving.
  const int stride = default_stride_ > 0 ? static_cast<int>(default_stride_) : static_cast<int>(frame_width_);
  const uint64_t needed = uint64_t(stride) * frame_height_ * 3 / 2;
  const bool fits = stride >= static_cast<int>(frame_width_) && stride % 2 == 0 && needed <= length && x >= 0 &&
                    y >= 0 && width > 0 && height > 0 && x + width <= static_cast<int>(frame_width_) &&
                    y + height <= static_cast<int>(frame_height_);
  if (fits) {
    const uint8_t* chroma = data + stride * frame_height_;
    const int step = planar_ ? 1 : 2, chroma_stride = planar_ ? stride / 2 : stride;
    const uint8_t* u = chroma + y / 2 * chroma_stride + x / 2 * step;
    const uint8_t* v = planar_ ? u + chroma_stride * (frame_height_ / 2) : u + 1;
    use(YuvView{data + y * stride + x, u, v, stride, chroma_stride, step, width, height});
  }
  buffer->Unlock();
  return fits;
}

// A new transform: Wine's keeps its reference pictures through a flush and
// cannot change picture size within a stream.
bool H264Transform::Restart() {
  output_.Reset();
  mft_.Reset();
  output_size_ = 0;
  coded_size_.reset();
  time_ = 0;
  return Open();
}

}  // namespace framix
