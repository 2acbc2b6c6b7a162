#include "cthread.h"

#include <process.h>

#include "trace.h"

namespace engine {

CThread::CThread(uint32_t stack_bytes, int priority) : stack_bytes_(stack_bytes), priority_(priority) {}

CThread::~CThread() {
  if (thread_) Trace("CThread destroyed before its thread was joined");
}

bool CThread::Start() {
  if (thread_) return false;
  unsigned id = 0;
  const uintptr_t h = _beginthreadex(nullptr, stack_bytes_, &CThread::Entry, this, CREATE_SUSPENDED, &id);
  if (h == 0) return false;
  thread_.Reset(reinterpret_cast<HANDLE>(h));
  thread_id_ = id;
  SetThreadPriority(thread_.Get(), priority_);
  ResumeThread(thread_.Get());
  return true;
}

void CThread::Join() {
  if (!thread_) return;
  if (WaitForSingleObject(thread_.Get(), INFINITE) != WAIT_OBJECT_0) TerminateThread(thread_.Get(), 0xFFFF00);
  thread_.Reset();
  thread_id_ = 0;
}

unsigned __stdcall CThread::Entry(void* self) {
  try {
    static_cast<CThread*>(self)->Run();
  } catch (...) {
    Trace("CThread: Run ended by an exception");
  }
  return 0;
}

}  // namespace engine
