// Calls into outside code with a guard against hardware faults (access
// violations and the like) raised inside it. MinGW has no __try/__except:
// a vectored exception handler resumes the guarded thread where the call
// began. Every frame inside the call is abandoned without its destructors,
// so guard only a call that takes no lock and owns nothing of the caller's
// (a single call into outside code), or abandon whatever it may hold.
#pragma once

namespace win32 {

enum class GuardLayer {
  kInner,     // around one outside call; its handler is asked first
  kBackstop,  // around a library that guards its own outside calls; asked last
};

// Returns fn(arg), or on_fault when a fault was raised inside fn. All guards
// of one module are of one layer: the first call decides.
int CallGuarded(int (*fn)(void*), void* arg, int on_fault, GuardLayer layer = GuardLayer::kInner);

// Whether an exception code is a hardware fault, the kind a guard takes
// (C++ exceptions, debug output and breakpoints are not).
bool IsFault(unsigned long code);

}  // namespace win32
