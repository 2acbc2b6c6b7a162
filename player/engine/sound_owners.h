// Move-only owners for the sound output's kernel handles and COM pointers.
#pragma once
#include <windows.h>

#include <utility>

namespace engine {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  void Reset(HANDLE h = nullptr) {
    if (h_) CloseHandle(h_);
    h_ = h;
  }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HANDLE h_ = nullptr;
};

template <class T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(ComRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComRef& operator=(ComRef&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.p_, nullptr));
    return *this;
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() { Reset(); }

  void Reset(T* p = nullptr) {
    if (p_) p_->Release();
    p_ = p;
  }
  T** Put() {
    Reset();
    return &p_;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

class UniqueModule {
 public:
  UniqueModule() = default;
  explicit UniqueModule(HMODULE m) : m_(m) {}
  UniqueModule(const UniqueModule&) = delete;
  UniqueModule& operator=(const UniqueModule&) = delete;
  ~UniqueModule() {
    if (m_) FreeLibrary(m_);
  }
  HMODULE get() const { return m_; }

 private:
  HMODULE m_ = nullptr;
};

}  // namespace engine
