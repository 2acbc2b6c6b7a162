// The IUnknown of every COM object of ours: one reference count, the module
// lock for the object's life, and QueryInterface answered from the object's
// table of interfaces.
//
//   class Page final : public win32::ComObject<Page, IPropertyPage> {
//    public:
//     static std::span<const Entry> Interfaces() {
//       static constexpr Entry kTable[] = {Reach<IPropertyPage>(IID_IPropertyPage)};
//       return kTable;
//     }
//   };
//
// IID_IUnknown is answered with the table's first interface, so every
// interface leads back to the same identity.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <new>
#include <span>

#include "win32/com_module.h"

namespace win32 {

template <class Derived, class... Implemented>
class ComObject : public Implemented... {
 public:
  // One row of the table: an identifier and the way from the object to the
  // interface that answers it.
  struct Entry {
    const IID* iid;
    void* (*reach)(Derived* object);
  };

  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* self = static_cast<Derived*>(this);
    const std::span<const Entry> table = Derived::Interfaces();
    for (const Entry& e : table)
      if (iid == *e.iid) return Hand(e.reach(self), out);
    if (iid == IID_IUnknown && !table.empty()) return Hand(table.front().reach(self), out);
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;  // objects go by Release only

  // The row of an interface the object derives from; Interface names the
  // base to go through where the identifier's own interface is ambiguous
  // (IOleWindow through IOleInPlaceObject, say).
  template <class Interface>
  static constexpr Entry Reach(const IID& iid) {
    return {&iid, [](Derived* object) -> void* { return static_cast<Interface*>(object); }};
  }

 private:
  HRESULT Hand(void* itf, void** out) {
    *out = itf;
    AddRef();
    return S_OK;
  }

  LONG refs_ = 1;  // the creator's reference
  ModuleLock lock_;
};

// The usual way to hand out a new object: ask it for iid, then drop the
// creator's reference, so that a failed QueryInterface frees it.
template <class T>
HRESULT CreateAndQuery(T* object, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!object) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

}  // namespace win32
