// Calls into outside code with a backstop for hardware faults (access
// violations and the like) raised inside it. MinGW has no __try/__except:
// a vectored exception handler resumes the guarded thread at the point
// where the call began. The outside code's own state is abandoned, so the
// caller must reset it (the decoder clears its memory).
#pragma once

namespace engine {

// Returns fn(arg), or on_fault when a fault was raised inside fn.
int CallGuarded(int (*fn)(void*), void* arg, int on_fault);

}  // namespace engine
