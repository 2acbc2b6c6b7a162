#include "remote_control.h"

#include "win32/fault_guard.h"

namespace {

constexpr wchar_t kWrapperProperty[] = L"CRemoteControl";

// f() inside the fault guard; false when a fault was raised inside it.
template <class F>
bool Guarded(F&& f) {
  struct Call {
    F* f;
    static int Run(void* p) {
      (*static_cast<Call*>(p)->f)();
      return 1;
    }
  } call{&f};
  return win32::CallGuarded(&Call::Run, &call, 0) == 1;
}

}  // namespace

bool CRemoteControl::Create(const wchar_t* name, const RECT& rect, HWND parent, int id) {
  wchar_t clsid[40] = {};
  StringFromGUID2(clsid_, clsid, 40);
  if (!host_.Create(parent, clsid, &rect)) return false;
  parent_ = parent;
  window_ = host_.ControlWindow();
  SetWindowLongPtrW(window_, GWLP_ID, id);
  SetWindowTextW(window_, name);
  SetPropW(window_, kWrapperProperty, this);
  unicodeProcedure_ = IsWindowUnicode(window_);
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GuardedProcedure)));
  return true;
}

void CRemoteControl::Destroy() {
  if (faulted_) {
    host_.Abandon();
  } else {
    host_.Close();
  }
  window_ = nullptr;
}

void CRemoteControl::PutText(DISPID member, const std::u16string& text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), UINT(text.size()));
  Invoke(member, DISPATCH_PROPERTYPUT, &value);
  VariantClear(&value);
}

void CRemoteControl::PutNumber(DISPID member, ULONG number) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_UI4;
  value.ulVal = number;
  Invoke(member, DISPATCH_PROPERTYPUT, &value);
}

void CRemoteControl::CallMethod(DISPID member) { Invoke(member, DISPATCH_METHOD, nullptr); }

void CRemoteControl::Invoke(DISPID member, WORD flags, VARIANT* argument) {
  if (faulted_ || !host_.Control()) return;
  win32::ComPtr<IDispatch> dispatch;
  if (FAILED(host_.Control()->QueryInterface(IID_IDispatch, dispatch.PutVoid()))) return;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{argument, argument ? &named : nullptr, argument ? 1u : 0u, argument ? 1u : 0u};
  VARIANT result;
  VariantInit(&result);
  IDispatch* target = dispatch.Get();
  if (!Guarded([&] { target->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr); }))
    OnFault();
  else
    VariantClear(&result);
}

void CRemoteControl::OnFault() {
  OutputDebugStringW(L"===>>> a hosted control faulted; its host closes\r\n");
  faulted_ = true;
  if (parent_) PostMessageW(parent_, UM_CLOSEHOST, 0, 0);
}

LRESULT CALLBACK CRemoteControl::GuardedProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = static_cast<CRemoteControl*>(GetPropW(hwnd, kWrapperProperty));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  const WNDPROC original = self->original_;
  if (msg == WM_NCDESTROY) {
    RemovePropW(hwnd, kWrapperProperty);
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    if (self->window_ == hwnd) self->window_ = nullptr;
  }
  // A faulted control gets nothing more of its own code to run.
  if (self->faulted_) return DefWindowProcW(hwnd, msg, wp, lp);
  // A Unicode procedure is called directly, so that a fault abandons none of
  // user32's frames; an ANSI one needs CallWindowProc's translation.
  const bool direct = self->unicodeProcedure_;
  LRESULT result = 0;
  if (!Guarded([&] { result = direct ? original(hwnd, msg, wp, lp) : CallWindowProcW(original, hwnd, msg, wp, lp); })) {
    self->OnFault();
    return 0;
  }
  return result;
}
