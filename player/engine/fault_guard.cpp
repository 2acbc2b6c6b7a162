#include "fault_guard.h"

#include <windows.h>

namespace engine {
namespace {

// The resume point of the guarded call running on this thread, if any.
thread_local CONTEXT* t_resume = nullptr;
thread_local volatile bool t_faulted = false;

bool IsFault(DWORD code) {
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

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
  CONTEXT* resume = t_resume;
  if (!resume || !IsFault(info->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  t_resume = nullptr;
  t_faulted = true;
  *info->ContextRecord = *resume;
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

int CallGuarded(int (*fn)(void*), void* arg, int on_fault) {
  static const PVOID handler = AddVectoredExceptionHandler(1, OnException);
  if (!handler) return fn(arg);
  alignas(16) CONTEXT resume;
  t_faulted = false;
  RtlCaptureContext(&resume);
  // A fault inside fn resumes here a second time, with t_faulted set.
  if (t_faulted) return on_fault;
  t_resume = &resume;
  const int result = fn(arg);
  t_resume = nullptr;
  return result;
}

}  // namespace engine
