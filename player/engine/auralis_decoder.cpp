#include "auralis_decoder.h"

#include <climits>

#include "auralis_api.h"

namespace engine {

AuralisDecoder::AuralisDecoder() : handle_(CODECAPI_AudioDecodeInit(kMode)) {}

AuralisDecoder::~AuralisDecoder() { CODECAPI_AudioDecodeDeInit(handle_, kMode); }

uint32_t AuralisDecoder::Decode(const uint8_t* input, uint32_t length, uint8_t* out, uint32_t room) {
  if (length > INT_MAX || room > INT_MAX) return 0;
  int produced = static_cast<int>(room);
  int spare = 0;
  CODECAPI_AudioDecodeProcess(handle_, kMode, input, static_cast<int>(length), out, &produced, &spare);
  return produced > 0 && static_cast<uint32_t>(produced) <= room ? static_cast<uint32_t>(produced) : 0;
}

}  // namespace engine
