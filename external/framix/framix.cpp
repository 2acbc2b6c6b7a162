// framix.dll: the video decoder calls over the system's H.264 decoder.
//
// Threads: a decoder may be opened, fed, cleared and closed from different
// threads. While any decoder is open the DLL holds the process's
// multithreaded apartment (MediaRuntime), so callers' threads need no COM
// set-up of their own. One decode runs on a handle at a time: a second one
// meanwhile fails at once. The call-back runs on the decoding thread with no
// lock of the library held, so a call-back that waits blocks nothing here.
#include "framix_api.h"

#include <atomic>
#include <memory>
#include <mutex>

#include "framix_testing.h"
#include "h264_transform.h"
#include "yuv_to_bgr.h"

namespace {

using engine::DecodeFrameParams;
using engine::kPictureBytes;

constexpr int kMaxDecoders = 16;

void Trace(const wchar_t* text) { OutputDebugStringW(text); }

struct Decoder {
  explicit Decoder(bool calls_back) : calls_back(calls_back) {}

  framix::MediaRuntime runtime;  // first in, last out
  const bool calls_back;

  std::mutex state_lock;  // guards transform and the call-back fields
  framix::H264Transform transform;
  engine::DecodeCallback callback = nullptr;
  void* user = nullptr;

  std::atomic<bool> decoding{false};  // one decode at a time; its owner alone uses what follows
  std::atomic<bool> fault_in_own_code{false};
  std::unique_ptr<uint8_t[]> picture;  // call-back mode: the picture handed out
  engine::BitmapInfoHeader header{};
  DecodeFrameParams block{};
};

// Never destroyed: a decoder left open at process exit is not torn down
// inside the loader's detach.
struct Table {
  std::mutex lock;
  std::shared_ptr<Decoder> decoders[kMaxDecoders];
};
Table& table = *new Table;

std::shared_ptr<Decoder> Find(int handle) {
  if (handle < 0 || handle >= kMaxDecoders) return nullptr;
  std::lock_guard lock(table.lock);
  return table.decoders[handle];
}

engine::BitmapInfoHeader TopDown(int width, int height) {
  engine::BitmapInfoHeader h{};
  h.size = sizeof h;
  h.width = width;
  h.height = -height;
  h.planes = 1;
  h.bit_count = 24;
  h.image_size = kPictureBytes;
  return h;
}

// Bytes from one 24-bit row to the next: rows of a bitmap end on 4 bytes.
int RowBytes(int width) { return (width * 3 + 3) & ~3; }

bool Fits(int width, int height, uint32_t capacity) {
  return width > 0 && height > 0 && width <= engine::kMaxPictureWidth && height <= engine::kMaxPictureHeight &&
         uint64_t(RowBytes(width)) * height <= capacity;
}

}  // namespace

FRAMIX_API int CODECAPI_DecodeInit(int mode, int threads, HWND window, int reserved, int callback_mode) {
  auto decoder = std::make_shared<Decoder>(callback_mode != 0);
  if (!decoder->runtime.Up() || !decoder->transform.Open()) {
    Trace(L"===>>> framix: no H.264 decoder\n");
    return -1;
  }
  if (decoder->calls_back) decoder->picture = std::make_unique<uint8_t[]>(kPictureBytes);
  std::lock_guard lock(table.lock);
  for (int handle = 0; handle < kMaxDecoders; ++handle) {
    if (!table.decoders[handle]) {
      table.decoders[handle] = std::move(decoder);
      return handle;
    }
  }
  return -1;
}

FRAMIX_API int CODECAPI_SetCallBack(int handle, void* user, engine::DecodeCallback callback, int reserved) {
  const auto decoder = Find(handle);
  if (!decoder) return 0;
  std::lock_guard lock(decoder->state_lock);
  decoder->callback = callback;
  decoder->user = user;
  return 1;
}

FRAMIX_API int CODECAPI_DecodeFrameVideo(int handle, int reserved, DecodeFrameParams* params) {
  const auto decoder = Find(handle);
  if (!decoder || !params || params->size != sizeof(DecodeFrameParams) || !params->input ||
      params->input_length == 0)
    return 0;
  Decoder& d = *decoder;
  if (!d.calls_back && !params->output) return 0;

  if (d.decoding.exchange(true)) return 0;
  struct Done {
    std::atomic<bool>& flag;
    ~Done() { flag.store(false); }
  } done{d.decoding};
  // A failed decode leaves a fresh decoder behind, so the next key frame
  // decodes whatever went wrong before.
  {
    std::lock_guard lock(d.state_lock);
    if (d.fault_in_own_code.exchange(false)) *static_cast<volatile int*>(nullptr) = 0;
    if (!d.transform.Feed(params->input, params->input_length)) {
      d.transform.Restart();
      return 0;
    }
  }
  // Synchronous mode writes into the caller's buffer, call-back mode into its own.
  uint8_t* const target = d.calls_back ? d.picture.get() : params->output;
  const uint32_t capacity = d.calls_back ? kPictureBytes : params->output_capacity;
  int pictures = 0;
  for (;;) {
    int width = 0, height = 0;
    bool written = false;
    engine::DecodeCallback callback = nullptr;
    void* user = nullptr;
    {
      std::lock_guard lock(d.state_lock);
      const auto next = d.transform.Take([&](const framix::YuvView& picture) {
        width = picture.width;
        height = picture.height;
        if (!Fits(width, height, capacity)) return;
        framix::YuvToBgr(picture, target, RowBytes(width));
        written = true;
      });
      if (next == framix::H264Transform::Next::kNeedInput) break;
      if (next == framix::H264Transform::Next::kPicture && !written) {
        Trace(L"===>>> framix: picture larger than 720 x 576 refused\n");
      }
      if (next == framix::H264Transform::Next::kError || !written) {
        d.transform.Restart();
        return 0;
      }
      callback = d.callback;
      user = d.user;
    }
    ++pictures;
    params->width = width;
    params->height = height;
    d.header = TopDown(width, height);
    if (!d.calls_back) {
      if (params->bitmap_header) *params->bitmap_header = d.header;
    } else if (callback) {
      d.block = DecodeFrameParams{sizeof(DecodeFrameParams), params->input_length, params->input, kPictureBytes,
                                  width, height, d.picture.get(), &d.header, 0};
      callback(user, &d.block);
    }
  }
  return pictures > 0 ? 1 : 0;
}

FRAMIX_API int CODECAPI_DecodeMemClear(int handle, int reserved) {
  const auto decoder = Find(handle);
  if (!decoder) return 0;
  std::lock_guard lock(decoder->state_lock);
  return decoder->transform.Restart() ? 1 : 0;
}

FRAMIX_API int CODECAPI_DecodeUninit(int handle) {
  std::shared_ptr<Decoder> decoder;  // released outside the table lock
  if (handle < 0 || handle >= kMaxDecoders) return 0;
  std::lock_guard lock(table.lock);
  decoder.swap(table.decoders[handle]);
  return decoder ? 1 : 0;
}

FRAMIX_API int FRAMIX_FaultNextDecode(int handle, int where) {
  const auto decoder = Find(handle);
  if (!decoder) return 0;
  if (where == kFaultInSystemDecoder) {
    std::lock_guard lock(decoder->state_lock);
    decoder->transform.FaultNextFeed();
  } else {
    decoder->fault_in_own_code.store(true);
  }
  return 1;
}
