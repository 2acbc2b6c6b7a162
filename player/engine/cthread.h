// A thread that runs an object's Run(). The derived class calls Start() at
// the end of its constructor, once the object is complete, and ends Run()
// its own way before calling Join() in its destructor.
#pragma once
#include <windows.h>

#include <cstdint>

#include "win32/owners.h"

namespace engine {

class CThread {
 public:
  virtual ~CThread();
  CThread(const CThread&) = delete;
  CThread& operator=(const CThread&) = delete;

 protected:
  // stack_bytes 0: the default size.
  explicit CThread(uint32_t stack_bytes = 0, int priority = THREAD_PRIORITY_NORMAL);

  virtual void Run() = 0;

  // Creates the thread (once) and sets its priority; false when it could not be created.
  bool Start();
  // Waits for Run() to return; a failed wait terminates the thread.
  void Join();

  DWORD thread_id() const { return thread_id_; }

 private:
  static unsigned __stdcall Entry(void* self);

  DWORD thread_id_ = 0;
  win32::UniqueHandle thread_;
  uint32_t stack_bytes_;
  int priority_;
};

}  // namespace engine
