#include "win32/fault_guard.h"

#include <windows.h>

namespace win32 {
namespace {

// A guarded call in progress: where it resumes after a fault (the buffer of
// __builtin_setjmp), and the guard around it on the same thread, if any.
struct Guard {
  void* resume[5];
  Guard* outer;
};

thread_local Guard* t_guard = nullptr;

// Where a faulting thread is sent, on its own stack below the fault: back
// into the guarded call's frame, which returns its failure value. The guard
// comes in the register of the first argument (ECX with fastcall on x86,
// RCX on x86-64), set by the handler.
[[noreturn]] void __fastcall ResumeGuardedCall(Guard* guard) { __builtin_longjmp(guard->resume, 1); }

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
  // The code first: reading the thread-local guard may allocate (emulated
  // TLS), which must not happen for every exception of the process.
  if (!IsFault(info->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  Guard* guard = t_guard;
  if (!guard) return EXCEPTION_CONTINUE_SEARCH;
  t_guard = guard->outer;
  CONTEXT& c = *info->ContextRecord;
  // A call's entry: the stack aligned as a call leaves it, with room below
  // the faulting frame (and x86-64's 32 bytes of home space).
#ifdef _WIN64
  c.Rcx = reinterpret_cast<DWORD64>(guard);
  c.Rsp = ((c.Rsp - 64) & ~DWORD64{15}) - 8;
  c.Rip = reinterpret_cast<DWORD64>(&ResumeGuardedCall);
#else
  c.Ecx = reinterpret_cast<DWORD>(guard);
  c.Esp = ((c.Esp - 64) & ~DWORD{15}) - 4;
  c.Eip = reinterpret_cast<DWORD>(&ResumeGuardedCall);
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

// The handler, registered by the module's first guarded call and removed
// when the module unloads (a DLL's statics end at its detach): a handler
// left behind would be called in unmapped code by the next exception.
class Registration {
 public:
  explicit Registration(GuardLayer layer)
      : handler_(AddVectoredExceptionHandler(layer == GuardLayer::kInner ? 1 : 0, OnException)) {}
  ~Registration() {
    if (handler_) RemoveVectoredExceptionHandler(handler_);
  }
  bool Ok() const { return handler_ != nullptr; }

 private:
  PVOID handler_;
};

}  // namespace

bool IsFault(unsigned long code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
      return true;
    default:  // C++ exceptions, debug output, breakpoints: not ours
      return false;
  }
}

int CallGuarded(int (*fn)(void*), void* arg, int on_fault, GuardLayer layer) {
  // Inner guards go to the front of the handler list, backstops to its end,
  // so a fault inside both is taken by the inner one, whatever the order of
  // registration.
  static const Registration handler(layer);
  if (!handler.Ok()) return fn(arg);
  Guard guard;
  guard.outer = t_guard;
  // A fault inside fn comes back here a second time, through the handler.
  if (__builtin_setjmp(guard.resume)) return on_fault;
  // Disarmed however fn ends, a C++ exception included: a guard left armed
  // would resume a later fault into a frame that is gone.
  struct Armed {
    Guard& guard;
    explicit Armed(Guard& g) : guard(g) { t_guard = &g; }
    ~Armed() { t_guard = guard.outer; }
  } armed(guard);
  return fn(arg);
}

}  // namespace win32
