#include <cstdio>

#include "trace.h"

namespace engine {

void Trace(const char* text) { std::fprintf(stderr, "===>>> %s\n", text); }

}  // namespace engine
