// A skin rectangle by identifier, from whichever skin library the program uses.
#pragma once
#include <windows.h>

#include "smapi.h"

namespace skin {

// Empty when the skin has no rectangle of id.
inline RECT SkinRect(WORD id) {
  RECT r{};
  SMAPI_GetResourceRect(id, &r);
  return r;
}

}  // namespace skin
