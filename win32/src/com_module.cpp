#include "win32/com_module.h"

#include "win32/com_object.h"

namespace win32 {

namespace {

LONG g_locks = 0;  // objects, factories and LockServer holds of this module

// The class object of one class of the table.
class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  explicit ClassFactory(const ComClass& cls) : class_(cls) {}

  static std::span<const Entry> Interfaces() {
    static constexpr Entry kTable[] = {Reach<IClassFactory>(IID_IClassFactory)};
    return kTable;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return class_.create(class_, iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) LockModule();
    else UnlockModule();
    return S_OK;
  }

 private:
  const ComClass& class_;
};

}  // namespace

HINSTANCE ThisModule() {
  HMODULE m = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &m);
  return m;
}

void LockModule() { InterlockedIncrement(&g_locks); }
void UnlockModule() { InterlockedDecrement(&g_locks); }
bool ModuleLocked() { return InterlockedCompareExchange(&g_locks, 0, 0) != 0; }

std::wstring GuidText(REFGUID id) {
  wchar_t text[40] = {};
  StringFromGUID2(id, text, 40);
  return text;
}

HRESULT ComModule::GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const ComClass& c : classes_)
    if (clsid == *c.clsid) return CreateAndQuery(new (std::nothrow) ClassFactory(c), iid, out);
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace win32
