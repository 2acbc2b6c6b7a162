// The window base: one class per window kind derives from Window and handles
// its messages in OnMessage. The static procedure links the HWND to its object
// through the creation parameter and GWLP_USERDATA; no global tables.
#pragma once
#include <windows.h>

namespace win32 {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  // Registers the class on first use (arrow cursor, no background brush).
  bool Create(const wchar_t* class_name, const wchar_t* title, DWORD style, DWORD ex_style,
              int x, int y, int width, int height, HWND parent, HMENU id_or_menu = nullptr);
  void Destroy();
  HWND Hwnd() const { return hwnd_; }

  // The object of a window created by Create, or null.
  static Window* FromHwnd(HWND hwnd);

 protected:
  // Default handling goes through DefWindowProc.
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  // Called after WM_NCDESTROY, when the HWND is gone.
  virtual void OnDestroyed() {}

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

// A control of another window class taken over after its creation (a list
// view, a header, a push button): its messages reach OnMessage first, and
// DefaultProc hands one on to the control's own procedure. With a property
// name the object can be found from the control's HWND (for notifications
// that reach the parent). Detaches when the control is destroyed or the
// object goes.
class SubclassedControl {
 public:
  SubclassedControl(const SubclassedControl&) = delete;
  SubclassedControl& operator=(const SubclassedControl&) = delete;
  virtual ~SubclassedControl();

  HWND Hwnd() const { return hwnd_; }
  // The object attached to `control` under `property`, or null.
  static SubclassedControl* Find(HWND control, const wchar_t* property);

 protected:
  SubclassedControl() = default;
  // False when control is null, this object is already attached, or the
  // subclassing fails. `property`, when given, must outlive the object.
  bool Attach(HWND control, const wchar_t* property = nullptr);
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefaultProc(msg, wp, lp); }
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  void Detach();
  HWND hwnd_ = nullptr;
  const wchar_t* property_ = nullptr;
};

// A dialog from a template: modal (Run) or modeless (Create). Controls are
// reached with Item; OnMessage returns TRUE for a message it handled.
class Dialog {
 public:
  Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog();

  INT_PTR Run(HINSTANCE module, const wchar_t* template_name, HWND owner);
  bool Create(HINSTANCE module, const wchar_t* template_name, HWND parent);
  bool CreateIndirect(const DLGTEMPLATE* tmpl, HWND parent);
  void End(INT_PTR result) { EndDialog(hwnd_, result); }
  void Destroy();
  HWND Hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

 protected:
  virtual BOOL OnInit() { return TRUE; }
  virtual INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

}  // namespace win32
