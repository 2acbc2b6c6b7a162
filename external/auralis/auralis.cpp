// auralis.dll: the recorder's sound, G.711 mu-law mono at 32,000 samples/s,
// to 16-bit PCM. The expansion is a table: the system's audio codec manager
// under Wine converts mu-law only at 8,000, 11,025, 22,050 and 44,100
// samples/s and refuses a 32,000 samples/s stream.
#include "auralis_api.h"

#include <cstring>
#include <mutex>

#include "mulaw.h"

namespace {

constexpr int kMuLaw = 2;  // the recorder's sound
constexpr int kMaxDecoders = 16;

std::mutex table_lock;
bool open_handles[kMaxDecoders];  // guarded by table_lock

bool IsOpen(int handle) {
  std::lock_guard lock(table_lock);
  return handle >= 0 && handle < kMaxDecoders && open_handles[handle];
}

}  // namespace

AURALIS_API int CODECAPI_AudioDecodeInit(int kind) {
  if (kind != kMuLaw) return -1;
  std::lock_guard lock(table_lock);
  for (int handle = 0; handle < kMaxDecoders; ++handle) {
    if (!open_handles[handle]) {
      open_handles[handle] = true;
      return handle;
    }
  }
  return -1;
}

// Returns the bytes written (as *output_length), or -1 with nothing written.
AURALIS_API int CODECAPI_AudioDecodeProcess(int handle, int kind, const unsigned char* input, int input_length,
                                            unsigned char* output, int* output_length, int* spare) {
  if (!output_length) return -1;
  const int room = *output_length;
  *output_length = 0;
  if (!IsOpen(handle) || kind != kMuLaw || !input || input_length < 0 || !output || room < 0) return -1;
  const int samples = input_length < room / 2 ? input_length : room / 2;
  for (int i = 0; i < samples; ++i) {
    const int16_t sample = auralis::kMuLawTable[input[i]];
    std::memcpy(output + 2 * i, &sample, sizeof sample);  // output need not be aligned
  }
  *output_length = samples * 2;
  return *output_length;
}

AURALIS_API int CODECAPI_AudioDecodeDeInit(int handle, int kind) {
  std::lock_guard lock(table_lock);
  if (handle < 0 || handle >= kMaxDecoders || !open_handles[handle]) return 0;
  open_handles[handle] = false;
  return 1;
}
