// Diagnostic traces: to the debugger output on Windows ("===>>> " in front,
// CR LF behind), to standard error natively.
#pragma once

namespace engine {

void Trace(const char* text);

}  // namespace engine
