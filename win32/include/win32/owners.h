// Move-only owners of Windows resources: a COM interface reference, a kernel
// handle, a loaded module, the thread's COM or OLE initialisation. Each
// releases what it holds when it goes.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <utility>

namespace win32 {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.p_, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  // Takes over the caller's reference to p.
  void Reset(T* p = nullptr) {
    if (p_) p_->Release();
    p_ = p;
  }
  // Holds p with a reference of its own.
  void Share(T* p) {
    if (p) p->AddRef();
    Reset(p);
  }
  // Hands out another reference (or null) through an out-parameter.
  void CopyTo(T** out) const {
    if ((*out = p_)) p_->AddRef();
  }
  // For out-parameters: drops what is held and hands out the slot.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Gives up the reference without releasing it.
  T* Detach() { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

// A kernel handle. Both failure values (null and INVALID_HANDLE_VALUE, which
// CreateFile and its kin return) are taken as empty and held as null.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(Held(h)) {}
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
    h_ = Held(h);
  }
  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  static HANDLE Held(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

  HANDLE h_ = nullptr;
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
  HMODULE Get() const { return m_; }

 private:
  HMODULE m_ = nullptr;
};

// COM on this thread for the scope's life: OLE in a single-threaded apartment
// (what embedding controls, drag and drop and the clipboard need), or plain COM
// in a single-threaded or the multithreaded apartment.
enum class Apartment { kOle, kSingleThreaded, kMultithreaded };

class ComScope {
 public:
  explicit ComScope(Apartment apartment) : apartment_(apartment), hr_(Initialize(apartment)) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (FAILED(hr_)) return;
    if (apartment_ == Apartment::kOle) OleUninitialize();
    else CoUninitialize();
  }
  // Initialised (S_OK, or S_FALSE when the thread already was in that apartment).
  bool Ok() const { return SUCCEEDED(hr_); }
  HRESULT Result() const { return hr_; }

 private:
  static HRESULT Initialize(Apartment apartment) {
    switch (apartment) {
      case Apartment::kOle:
        return OleInitialize(nullptr);
      case Apartment::kSingleThreaded:
        return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      case Apartment::kMultithreaded:
        return CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    }
    return E_INVALIDARG;
  }

  Apartment apartment_;
  HRESULT hr_;
};

}  // namespace win32
