// Stand-ins of the five remote-function controls: windowed ActiveX controls
// that take dispatch members 1-4 by property-put and method 5, show what
// they received and append one UTF-8 line per event to REMOTE_CONTROLS_LOG.
// A key pressed in one asks its host to close.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "remote_controls.h"
#include "smapi.h"
#include "win32/com_module.h"
#include "win32/com_object.h"
#include "win32/owners.h"
#include "win32/text_codec.h"

namespace {

// What tells the five apart beyond their registered class (whose name is
// also the window's title).
struct ControlKind {
  const CLSID* clsid;
  const char* name;  // in the log
  bool backup_skin;
};
constexpr ControlKind kKinds[] = {
    {&CLSID_RemoteLiveView, "live_view", false},
    {&CLSID_RemoteBackup, "backup", true},
    {&CLSID_RemotePlayback, "remote_playback", false},
    {&CLSID_RemoteSearch, "search", false},
    {&CLSID_RemoteSetup, "remote_setup", false},
};

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
  return n && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

void Log(const std::string& line) {
  const std::wstring path = Environment(L"REMOTE_CONTROLS_LOG");
  if (path.empty()) return;
  const win32::UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file.Get(), text.data(), DWORD(text.size()), &written, nullptr);
}

// A fault on request, for the host's fault handling.
void FaultIf(const wchar_t* where) {
  if (Environment(L"REMOTE_CONTROLS_FAULT") != where) return;
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

// The backup control's look, from LumoraBackup.dll beside this module.
class BackupSkin {
 public:
  BackupSkin() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(win32::ThisModule(), path, MAX_PATH);
    std::wstring dir(path);
    dir.resize(dir.find_last_of(L'\\') + 1);
    module_ = LoadLibraryW((dir + L"LumoraBackup.dll").c_str());
    if (!module_) return;
    Find(rect_, "SMAPI_GetResourceRect");
    Find(bitmap_, kSmapiBitmapExport);
    Find(faces_, kSmapiFaceSetExport);
  }
  ~BackupSkin() {
    if (module_) FreeLibrary(module_);
  }
  bool Usable() const { return rect_ && bitmap_ && faces_; }
  RECT Rect(WORD id) const {
    RECT r{};
    rect_(id, &r);
    return r;
  }
  // Background 0, the main window's buttons, and the received texts in its fields.
  void Draw(HDC dc, const std::vector<std::wstring>& fields) const {
    Blit(dc, bitmap_(0), Rect(0));
    for (WORD id : {2, 3, 4, 5, 6, 7, 31}) {
      HBITMAP face[4] = {};
      faces_(id, &face[0], &face[1], &face[2], &face[3]);
      Blit(dc, face[0], Rect(id));
      for (HBITMAP b : face)
        if (b) DeleteObject(b);
    }
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < fields.size() && i < 14; ++i) {
      RECT r = Rect(WORD(0x1001 + i));
      DrawTextW(dc, fields[i].c_str(), int(fields[i].size()), &r, DT_SINGLELINE | DT_VCENTER);
    }
  }

 private:
  template <class F>
  void Find(F& fn, const char* name) {
    fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  static void Blit(HDC dc, HBITMAP bitmap, const RECT& r) {
    if (!bitmap) return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
  }

  HMODULE module_ = nullptr;
  void (*rect_)(WORD, RECT*) = nullptr;
  HBITMAP (*bitmap_)(WORD) = nullptr;
  void (*faces_)(WORD, HBITMAP*, HBITMAP*, HBITMAP*, HBITMAP*) = nullptr;
};

constexpr wchar_t kWindowClass[] = L"RemoteControlStandIn";

class RemoteControl final : public win32::ComObject<RemoteControl, IOleObject, IOleInPlaceObject, IDispatch> {
 public:
  RemoteControl(const win32::ComClass& cls, const ControlKind& kind) : class_(cls), kind_(kind) {
    Log(std::string(kind_.name) + " created");
  }

  static HRESULT Create(const win32::ComClass& cls, REFIID iid, void** out) {
    for (const ControlKind& kind : kKinds) {
      if (*kind.clsid != *cls.clsid) continue;
      RegisterWindowClass();
      return win32::CreateAndQuery(new (std::nothrow) RemoteControl(cls, kind), iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  static std::span<const Entry> Interfaces() {
    static constexpr Entry kTable[] = {
        Reach<IOleObject>(IID_IOleObject),
        Reach<IOleInPlaceObject>(IID_IOleWindow),
        Reach<IOleInPlaceObject>(IID_IOleInPlaceObject),
        Reach<IDispatch>(IID_IDispatch),
    };
    return kTable;
  }

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
    site_.Share(site);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) override {
    if (!out) return E_POINTER;
    site_.CopyTo(out);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD) override {
    InPlaceDeactivate();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT rect) override {
    if (hwnd_) return S_OK;
    if (!parent || !rect) return E_INVALIDARG;
    // Created hidden; showing itself is the control's part, not its host's.
    hwnd_ = CreateWindowExW(0, kWindowClass, class_.name, WS_CHILD | WS_CLIPSIBLINGS, rect->left, rect->top,
                            rect->right - rect->left, rect->bottom - rect->top, parent, nullptr,
                            win32::ThisModule(), this);
    if (!hwnd_) return E_FAIL;
    win32::ComPtr<IOleInPlaceSite> in_place;
    if (site_ && SUCCEEDED(site_->QueryInterface(IID_IOleInPlaceSite, in_place.PutVoid())))
      in_place->OnInPlaceActivate();
    ShowWindow(hwnd_, SW_SHOW);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* out) override {
    if (!out) return E_POINTER;
    *out = *class_.clsid;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL* out) override {
    if (!out) return E_POINTER;
    *out = {MulDiv(1024, 2540, 96), MulDiv(768, 2540, 96)};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* out) override {
    if (!out) return E_POINTER;
    *out = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_CANTLINKINSIDE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = hwnd_;
    return hwnd_ ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
    if (!hwnd_) return S_OK;
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    win32::ComPtr<IOleInPlaceSite> in_place;
    if (site_ && SUCCEEDED(site_->QueryInterface(IID_IOleInPlaceSite, in_place.PutVoid())))
      in_place->OnInPlaceDeactivate();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT) override {
    if (hwnd_ && position)
      MoveWindow(hwnd_, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, TRUE);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

  // IDispatch: members 1-4 by property-put, method 5.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* out) override {
    if (!out) return E_POINTER;
    *out = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (!params) return E_INVALIDARG;
    if ((flags & DISPATCH_PROPERTYPUT) && member >= 1 && member <= 4) {
      if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
      return Put(member, params->rgvarg[0]);
    }
    if ((flags & DISPATCH_METHOD) && member == kRemoteStartMethod) {
      Log(std::string(kind_.name) + " invoke 5");
      FaultIf(L"invoke");
      started_ = true;
      if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
      if (result) {
        VariantInit(result);
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
      }
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  ~RemoteControl() override {
    InPlaceDeactivate();
    SetClientSite(nullptr);
  }

  HRESULT Put(DISPID member, const VARIANT& value) {
    std::wstring shown;
    std::string line = std::string(kind_.name) + " put " + std::to_string(member) + " ";
    if (value.vt == VT_BSTR) {
      shown.assign(value.bstrVal ? value.bstrVal : L"", SysStringLen(value.bstrVal));
      line += "BSTR " + win32::ToUtf8(std::wstring_view(shown));
    } else if (value.vt == VT_UI4) {
      shown = std::to_wstring(value.ulVal);
      line += "UI4 " + std::to_string(value.ulVal);
    } else {
      return DISP_E_TYPEMISMATCH;
    }
    Log(line);
    if (values_.size() < size_t(member)) values_.resize(member);
    values_[member - 1] = shown;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
    return S_OK;
  }

  void Paint(HDC dc) {
    if (kind_.backup_skin) {
      BackupSkin skin;
      if (skin.Usable()) {
        skin.Draw(dc, values_);
        return;
      }
    }
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    std::wstring text = std::wstring(class_.name) + L"\n";
    for (size_t i = 0; i < values_.size(); ++i) text += std::to_wstring(i + 1) + L": " + values_[i] + L"\n";
    text += started_ ? L"started (5)" : L"not started";
    client.left += 16;
    client.top += 16;
    DrawTextW(dc, text.c_str(), int(text.size()), &client, DT_LEFT | DT_TOP);
  }

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<RemoteControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
      case WM_PAINT:
        if (self) {
          PAINTSTRUCT ps;
          HDC dc = BeginPaint(hwnd, &ps);
          self->Paint(dc);
          EndPaint(hwnd, &ps);
          return 0;
        }
        break;
      case WM_ERASEBKGND:
        return 1;
      case WM_LBUTTONDOWN:
        FaultIf(L"window");
        SetFocus(hwnd);
        return 0;
      case WM_KEYDOWN:
        SendMessageW(GetParent(hwnd), kCloseHostMessage, 0, 0);
        return 0;
      case WM_NCDESTROY:
        if (self && self->hwnd_ == hwnd) self->hwnd_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

 public:
  static void RegisterWindowClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = win32::ThisModule();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);
  }

 private:
  const win32::ComClass& class_;
  const ControlKind& kind_;
  win32::ComPtr<IOleClientSite> site_;
  HWND hwnd_ = nullptr;
  std::vector<std::wstring> values_;  // members 1-4 as shown
  bool started_ = false;
};

constexpr win32::ControlRegistration kControl{};  // the Control key alone
const win32::ComClass kClasses[] = {
    {&CLSID_RemoteLiveView, L"RemoteControls.LiveView.1", L"Live view stand-in", L"Apartment", RemoteControl::Create,
     &kControl},
    {&CLSID_RemoteBackup, L"RemoteControls.Backup.1", L"Backup stand-in", L"Apartment", RemoteControl::Create,
     &kControl},
    {&CLSID_RemotePlayback, L"RemoteControls.Playback.1", L"Remote playback stand-in", L"Apartment",
     RemoteControl::Create, &kControl},
    {&CLSID_RemoteSearch, L"RemoteControls.Search.1", L"Search stand-in", L"Apartment", RemoteControl::Create,
     &kControl},
    {&CLSID_RemoteSetup, L"RemoteControls.Setup.1", L"Remote setup stand-in", L"Apartment", RemoteControl::Create,
     &kControl},
};
const win32::ComModule kModule{kClasses};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
  return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return kModule.GetClassObject(clsid, iid, out);
}
extern "C" HRESULT WINAPI DllCanUnloadNow() { return kModule.CanUnloadNow(); }
extern "C" HRESULT WINAPI DllRegisterServer() { return kModule.Register(); }
extern "C" HRESULT WINAPI DllUnregisterServer() { return kModule.Unregister(); }
