// A class factory over one create function; it holds the module lock while
// it lives and while the container locks it with LockServer.
#pragma once
#include "module.h"

namespace rewyn {

// Makes the object and asks it for iid; the caller's reference is the only one.
using CreateFunction = HRESULT (*)(REFIID iid, void** out);

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(CreateFunction create) : create_(create) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  ~ClassFactory() = default;
  LONG refs_ = 1;
  CreateFunction create_;
  ModuleLock lock_;
};

// The usual way to hand out a new object: ask it for iid, then drop the
// creator's reference, so a failed QueryInterface frees it.
template <class T>
HRESULT CreateAndQuery(T* object, REFIID iid, void** out) {
  if (!object) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

}  // namespace rewyn
