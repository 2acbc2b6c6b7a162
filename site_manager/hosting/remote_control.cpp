#include "remote_control.h"

#include <atomic>

#include "win32/com_module.h"
#include "win32/fault_guard.h"

namespace {

constexpr wchar_t kWrapperProperty[] = L"CRemoteControl";

// One call into the control's own code, made by CallIntoControl inside the
// fault guard.
struct ControlCall {
  enum Kind { kProcedure, kTranslatedProcedure, kInvoke } kind;
  // kProcedure, kTranslatedProcedure
  WNDPROC procedure = nullptr;
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wp = 0;
  LPARAM lp = 0;
  LRESULT result = 0;
  // kInvoke
  IDispatch* target = nullptr;
  DISPID member = 0;
  WORD flags = 0;
  DISPPARAMS* params = nullptr;
  VARIANT* out = nullptr;
  // The fault attribution registered for the call; left behind by a fault.
  PVOID attribution = nullptr;
};

// Where our own code lies: this program's image, and the one function of
// it that calls the control's code. Set once, before the first call.
uintptr_t g_ownBegin = 0, g_ownEnd = 0;
uintptr_t g_callerBegin = 0;
std::atomic<DWORD> g_hostThread{0};  // the thread that calls into controls

#ifdef _WIN64
uintptr_t FunctionStart(uintptr_t pc) {
  DWORD64 base = 0;
  PRUNTIME_FUNCTION f = RtlLookupFunctionEntry(pc, &base, nullptr);
  return f ? uintptr_t(base + f->BeginAddress) : 0;
}

// Whether frames of our own code lie between a fault and the guard around
// the control's code: the fault's stack is unwound frame by frame until the
// first frame of this program. When that is CallIntoControl, everything
// inside it is the control's (or the system's on its behalf); any other
// frame of ours means that the control had called back into us (a message
// sent to our windows, a call on our control site) and the fault came
// there. A stack that cannot be unwound counts as the control's.
bool OwnFramesInside(const CONTEXT& fault) {
  const auto* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
  const uintptr_t low = uintptr_t(tib->StackLimit), high = uintptr_t(tib->StackBase);
  CONTEXT c = fault;
  for (int depth = 0; depth < 256; ++depth) {
    // Above the faulting frame the address is a return address: the call
    // is the instruction before it.
    const uintptr_t pc = uintptr_t(c.Rip) - (depth ? 1 : 0);
    if (pc >= g_ownBegin && pc < g_ownEnd) return FunctionStart(pc) != g_callerBegin;
    DWORD64 base = 0;
    if (PRUNTIME_FUNCTION f = RtlLookupFunctionEntry(pc, &base, nullptr)) {
      PVOID data = nullptr;
      DWORD64 frame = 0;
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, base, c.Rip, f, &c, &data, &frame, nullptr);
    } else {  // a leaf function: the return address is on top of the stack
      if (c.Rsp < low || c.Rsp + 8 > high) return false;
      c.Rip = *reinterpret_cast<const DWORD64*>(c.Rsp);
      c.Rsp += 8;
    }
    if (c.Rip == 0 || c.Rsp < low || c.Rsp >= high) return false;
  }
  return false;
}
#else
// x86 code keeps no unwind tables and may omit frame pointers, so the
// fault's stack cannot be walked reliably there: a fault counts as ours
// when it lies in this program's own code.
bool OwnFramesInside(const CONTEXT& fault) {
  const uintptr_t pc = uintptr_t(fault.Eip);
  return pc >= g_ownBegin && pc < g_ownEnd;
}
#endif

// Registered in front of every other handler while the control's code
// runs. A fault of the control's own goes on to the guard; a fault of our
// own code, reached from inside the control's call, is no fault of the
// control's: the guard would abandon our frames with it and carry on, so
// it ends the program as a fault anywhere else in our code does.
LONG CALLBACK AttributeFault(EXCEPTION_POINTERS* info) {
  if (!win32::IsFault(info->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;  // before anything else
  if (GetCurrentThreadId() != g_hostThread.load()) return EXCEPTION_CONTINUE_SEARCH;
  if (!OwnFramesInside(*info->ContextRecord)) return EXCEPTION_CONTINUE_SEARCH;
  OutputDebugStringA("===>>> a fault in the site manager's own code while a hosted control called it\r\n");
  UnhandledExceptionFilter(info);
  TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_CONTINUE_SEARCH;
}

// The only function that calls the control's code. It is not inlined, and
// each call is followed by a store, so that it stays on the stack under the
// control's frames.
__attribute__((noinline)) int CallIntoControl(void* p) {
  auto* c = static_cast<ControlCall*>(p);
  c->attribution = AddVectoredExceptionHandler(1, AttributeFault);
  switch (c->kind) {
    case ControlCall::kProcedure:
      c->result = c->procedure(c->hwnd, c->msg, c->wp, c->lp);
      break;
    case ControlCall::kTranslatedProcedure:
      c->result = CallWindowProcW(c->procedure, c->hwnd, c->msg, c->wp, c->lp);
      break;
    case ControlCall::kInvoke:
      c->result = c->target->Invoke(c->member, IID_NULL, LOCALE_USER_DEFAULT, c->flags, c->params, c->out, nullptr,
                                    nullptr);
      break;
  }
  if (c->attribution) RemoveVectoredExceptionHandler(c->attribution);
  c->attribution = nullptr;
  return 1;
}

void KnowOwnCode() {
  if (g_ownEnd) return;
  HMODULE own = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&CallIntoControl), &own);
  if (!own) return;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(own);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(own) + dos->e_lfanew);
#ifdef _WIN64
  g_callerBegin = FunctionStart(reinterpret_cast<uintptr_t>(&CallIntoControl));
#endif
  g_ownBegin = uintptr_t(own);
  g_ownEnd = g_ownBegin + nt->OptionalHeader.SizeOfImage;
}

// The control's code inside the fault guard; false when it faulted.
bool CallControl(ControlCall& call) {
  KnowOwnCode();
  g_hostThread = GetCurrentThreadId();
  const bool ran = win32::CallGuarded(&CallIntoControl, &call, 0) == 1;
  if (call.attribution) RemoveVectoredExceptionHandler(call.attribution);  // left by a fault
  return ran;
}

}  // namespace

bool CRemoteControl::Create(const wchar_t* name, const RECT& rect, HWND parent, int id) {
  if (!host_.Create(parent, win32::GuidText(clsid_).c_str(), &rect)) return false;
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
  ControlCall call{ControlCall::kInvoke};
  call.target = dispatch.Get();
  call.member = member;
  call.flags = flags;
  call.params = &params;
  call.out = &result;
  if (!CallControl(call))
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
  ControlCall call{self->unicodeProcedure_ ? ControlCall::kProcedure : ControlCall::kTranslatedProcedure};
  call.procedure = original;
  call.hwnd = hwnd;
  call.msg = msg;
  call.wp = wp;
  call.lp = lp;
  if (!CallControl(call)) {
    self->OnFault();
    return 0;
  }
  return call.result;
}
