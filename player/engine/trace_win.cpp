#include <windows.h>

#include <string>

#include "trace.h"

namespace engine {

void Trace(const char* text) {
  OutputDebugStringA(("===>>> " + std::string(text) + "\r\n").c_str());
}

}  // namespace engine
