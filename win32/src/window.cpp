#include "win32/window.h"

#include <commctrl.h>

namespace win32 {

namespace {
HINSTANCE ThisModule() {
  HMODULE m = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &m);
  return m;
}
}  // namespace

Window::~Window() { Destroy(); }

bool Window::Create(const wchar_t* class_name, const wchar_t* title, DWORD style, DWORD ex_style,
                    int x, int y, int width, int height, HWND parent, HMENU id_or_menu) {
  HINSTANCE module = ThisModule();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(module, class_name, &wc)) {
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = class_name;
    if (!RegisterClassExW(&wc)) return false;
  }
  return CreateWindowExW(ex_style, class_name, title, style, x, y, width, height, parent, id_or_menu,
                         module, this) != nullptr;
}

void Window::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

Window* Window::FromHwnd(HWND hwnd) {
  if (!hwnd || GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(Procedure)) return nullptr;
  return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = self->OnMessage(msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnDestroyed();
  }
  return result;
}

SubclassedControl::~SubclassedControl() { Detach(); }

bool SubclassedControl::Attach(HWND control, const wchar_t* property) {
  if (!control || hwnd_ ||
      !SetWindowSubclass(control, Procedure, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = control;
  property_ = property;
  if (property_) SetPropW(control, property_, this);
  return true;
}

void SubclassedControl::Detach() {
  if (!hwnd_) return;
  RemoveWindowSubclass(hwnd_, Procedure, reinterpret_cast<UINT_PTR>(this));
  if (property_) RemovePropW(hwnd_, property_);
  hwnd_ = nullptr;
}

SubclassedControl* SubclassedControl::Find(HWND control, const wchar_t* property) {
  return control ? static_cast<SubclassedControl*>(GetPropW(control, property)) : nullptr;
}

LRESULT SubclassedControl::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) { return DefSubclassProc(hwnd_, msg, wp, lp); }

LRESULT CALLBACK SubclassedControl::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  auto* control = reinterpret_cast<SubclassedControl*>(self);
  if (msg == WM_NCDESTROY) {
    control->Detach();
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  return control->OnMessage(msg, wp, lp);
}

Dialog::~Dialog() { Destroy(); }

INT_PTR Dialog::Run(HINSTANCE module, const wchar_t* template_name, HWND owner) {
  return DialogBoxParamW(module, template_name, owner, Procedure, reinterpret_cast<LPARAM>(this));
}

bool Dialog::Create(HINSTANCE module, const wchar_t* template_name, HWND parent) {
  return CreateDialogParamW(module, template_name, parent, Procedure, reinterpret_cast<LPARAM>(this)) != nullptr;
}

bool Dialog::CreateIndirect(const DLGTEMPLATE* tmpl, HWND parent) {
  return CreateDialogIndirectParamW(ThisModule(), tmpl, parent, Procedure, reinterpret_cast<LPARAM>(this)) !=
         nullptr;
}

void Dialog::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

INT_PTR Dialog::OnMessage(UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Dialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lp);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    return self->OnInit();
  }
  self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  INT_PTR result = self->OnMessage(msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace win32
