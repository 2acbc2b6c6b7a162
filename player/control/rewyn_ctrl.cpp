#include "rewyn_ctrl.h"

#include <olectl.h>
#include <shlguid.h>

#include <new>

#include "container_hook.h"
#include "control_messages.h"
#include "panel.h"
#include "player_messages.h"
#include "rewyn_h.h"

#ifdef REWYN_BENCHMARK_BUILD
#include "benchmark.h"
#endif

namespace rewyn {

namespace {

constexpr int kViewId = 0xE900;
constexpr DWORD kViewStyle = WS_BORDER;
constexpr DWORD kVersion = 0x00010000;  // 1.0, the one persistent value
constexpr DWORD kSafeOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
const wchar_t kPresenceEvent[] = L"Global\\KESTA_WEB_PLAYER";
const wchar_t kWindowClass[] = L"RewynCtrl";

// Pixels to HIMETRIC (0.01 mm) at the screen's resolution, and back.
LONG ToHimetric(LONG pixels, int axis) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, axis);
  ReleaseDC(nullptr, screen);
  return MulDiv(pixels, 2540, dpi);
}

}  // namespace

HRESULT CRewynCtrl::Create(const win32::ComClass&, REFIID iid, void** out) {
  return win32::CreateAndQuery(new (std::nothrow) CRewynCtrl, iid, out);
}

std::span<const CRewynCtrl::Entry> CRewynCtrl::Interfaces() {
  static constexpr Entry kTable[] = {
      Reach<IOleObject>(IID_IOleObject),
      Reach<IOleInPlaceObject>(IID_IOleWindow),
      Reach<IOleInPlaceObject>(IID_IOleInPlaceObject),
      Reach<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject),
      Reach<IViewObject2>(IID_IViewObject),
      Reach<IViewObject2>(IID_IViewObject2),
      Reach<IPersistStreamInit>(IID_IPersist),
      Reach<IPersistStreamInit>(IID_IPersistStreamInit),
      Reach<IPersistPropertyBag>(IID_IPersistPropertyBag),
      Reach<IOleControl>(IID_IOleControl),
      Reach<IDispatch>(IID_IDispatch),
      Reach<IDispatch>(DIID__DRewyn),
      Reach<IProvideClassInfo>(IID_IProvideClassInfo),
      Reach<IConnectionPointContainer>(IID_IConnectionPointContainer),
      Reach<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages),
      Reach<IObjectSafety>(IID_IObjectSafety),
  };
  return kTable;
}

// The control's own extent is that of its view: the panel in a border.
CRewynCtrl::CRewynCtrl() {
  RECT view = view::SkinRect(0);
  AdjustWindowRectEx(&view, WS_CHILD | kViewStyle, FALSE, 0);
  extent_ = {ToHimetric(view.right - view.left, LOGPIXELSX), ToHimetric(view.bottom - view.top, LOGPIXELSY)};
  CreateOleAdviseHolder(advise_holder_.Put());
}

CRewynCtrl::~CRewynCtrl() {
  window_.Destroy();
  browser_.Reset();
  view_.reset();
  browser_window_ = nullptr;
  presence_event_.Reset();
}

// ---- IOleObject ----

HRESULT CRewynCtrl::SetClientSite(IOleClientSite* site) {
  site_.Share(site);
  return S_OK;
}

HRESULT CRewynCtrl::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  site_.CopyTo(site);
  return S_OK;
}

HRESULT CRewynCtrl::Close(DWORD) {
  InPlaceDeactivate();
  if (advise_holder_) advise_holder_->SendOnClose();
  return S_OK;
}

HRESULT CRewynCtrl::GetMoniker(DWORD, DWORD, IMoniker** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT CRewynCtrl::GetClipboardData(DWORD, IDataObject** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT CRewynCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_UIACTIVATE:
      return InPlaceActivate(true);
    case OLEIVERB_INPLACEACTIVATE:
      return InPlaceActivate(false);
    case OLEIVERB_HIDE:
      UIDeactivate();
      if (window_.Hwnd()) ShowWindow(window_.Hwnd(), SW_HIDE);
      return S_OK;
    default:
      return OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT CRewynCtrl::EnumVerbs(IEnumOLEVERB** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT CRewynCtrl::GetUserType(DWORD form, LPOLESTR* out) { return OleRegGetUserType(CLSID_Rewyn, form, out); }

HRESULT CRewynCtrl::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  extent_ = *size;
  return S_OK;
}

HRESULT CRewynCtrl::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

HRESULT CRewynCtrl::Advise(IAdviseSink* sink, DWORD* cookie) {
  return advise_holder_ ? advise_holder_->Advise(sink, cookie) : E_OUTOFMEMORY;
}

HRESULT CRewynCtrl::Unadvise(DWORD cookie) {
  return advise_holder_ ? advise_holder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT CRewynCtrl::EnumAdvise(IEnumSTATDATA** out) {
  return advise_holder_ ? advise_holder_->EnumAdvise(out) : E_OUTOFMEMORY;
}

HRESULT CRewynCtrl::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = kControlMiscStatus;
  return S_OK;
}

// ---- in-place activation ----

HRESULT CRewynCtrl::InPlaceActivate(bool with_ui) {
  if (!in_place_active_) {
    if (!site_ || FAILED(site_->QueryInterface(IID_IOleInPlaceSite, in_place_site_.PutVoid()))) return E_NOINTERFACE;
    if (in_place_site_->CanInPlaceActivate() != S_OK) {
      in_place_site_.Reset();
      return E_FAIL;
    }
    in_place_site_->OnInPlaceActivate();
    HWND parent = nullptr;
    RECT clip;
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof(info);
    if (FAILED(in_place_site_->GetWindow(&parent)) ||
        FAILED(in_place_site_->GetWindowContext(frame_.Put(), document_.Put(), &position_, &clip, &info))) {
      in_place_site_->OnInPlaceDeactivate();
      in_place_site_.Reset();
      return E_FAIL;
    }
    in_place_active_ = true;
    if (!window_.Hwnd() &&
        !window_.Create(kWindowClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, position_.left,
                        position_.top, position_.right - position_.left, position_.bottom - position_.top,
                        parent)) {
      InPlaceDeactivate();
      return E_FAIL;
    }
    ShowWindow(window_.Hwnd(), SW_SHOWNA);
  }
  if (with_ui && !ui_active_ && in_place_site_) {
    ui_active_ = true;
    in_place_site_->OnUIActivate();
    if (frame_) frame_->SetActiveObject(this, L"Rewyn Control");
    if (document_) document_->SetActiveObject(this, L"Rewyn Control");
  }
  return S_OK;
}

HRESULT CRewynCtrl::UIDeactivate() {
  if (!ui_active_) return S_OK;
  ui_active_ = false;
  if (frame_) frame_->SetActiveObject(nullptr, nullptr);
  if (document_) document_->SetActiveObject(nullptr, nullptr);
  if (in_place_site_) in_place_site_->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT CRewynCtrl::InPlaceDeactivate() {
  if (!in_place_active_) return S_OK;
  UIDeactivate();
  in_place_active_ = false;
  window_.Destroy();
  frame_.Reset();
  document_.Reset();
  if (in_place_site_) in_place_site_->OnInPlaceDeactivate();
  in_place_site_.Reset();
  return S_OK;
}

HRESULT CRewynCtrl::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = window_.Hwnd();
  return *out ? S_OK : E_FAIL;
}

HRESULT CRewynCtrl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  position_ = *position;
  if (window_.Hwnd())
    SetWindowPos(window_.Hwnd(), nullptr, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE);
  return S_OK;
}

HRESULT CRewynCtrl::TranslateAccelerator(LPMSG msg) {
  return msg && view_ && view_->TranslateKey(*msg) ? S_OK : S_FALSE;
}

// ---- drawing ----

HRESULT CRewynCtrl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw, LPCRECTL bounds, LPCRECTL,
                         BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!draw || !bounds) return E_INVALIDARG;
  const RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
  FillRect(draw, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  return S_OK;
}

HRESULT CRewynCtrl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out) {
  if (out) *out = nullptr;
  return S_FALSE;
}

HRESULT CRewynCtrl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  view_sink_.Share(sink);
  view_advise_aspects_ = aspects;
  view_advise_flags_ = flags;
  return S_OK;
}

HRESULT CRewynCtrl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = view_advise_aspects_;
  if (flags) *flags = view_advise_flags_;
  if (sink) view_sink_.CopyTo(sink);
  return S_OK;
}

// ---- persistence ----

HRESULT CRewynCtrl::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_Rewyn;
  return S_OK;
}

HRESULT CRewynCtrl::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  DWORD version = 0;
  ULONG read = 0;
  stream->Read(&version, sizeof(version), &read);
  return S_OK;
}

HRESULT CRewynCtrl::Save(LPSTREAM stream, BOOL) {
  if (!stream) return E_POINTER;
  return stream->Write(&kVersion, sizeof(kVersion), nullptr);
}

HRESULT CRewynCtrl::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = sizeof(kVersion);
  return S_OK;
}

HRESULT CRewynCtrl::Save(IPropertyBag* bag, BOOL, BOOL) {
  if (!bag) return E_POINTER;
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = LONG(kVersion);
  return bag->Write(L"_Version", &v);
}

// ---- IOleControl, dispatch, class information, pages ----

HRESULT CRewynCtrl::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->cb = sizeof(*info);
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT CRewynCtrl::TypeInfoOf(REFGUID id, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(win32::ThisModule(), path, MAX_PATH);
  win32::ComPtr<ITypeLib> library;
  const HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, library.Put());
  return FAILED(hr) ? hr : library->GetTypeInfoOfGuid(id, out);
}

HRESULT CRewynCtrl::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT CRewynCtrl::GetTypeInfo(UINT index, LCID, ITypeInfo** out) {
  if (index != 0) return DISP_E_BADINDEX;
  return TypeInfoOf(DIID__DRewyn, out);
}

HRESULT CRewynCtrl::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
  for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT CRewynCtrl::GetClassInfo(ITypeInfo** out) { return TypeInfoOf(CLSID_Rewyn, out); }

HRESULT CRewynCtrl::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT CRewynCtrl::FindConnectionPoint(REFIID, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return CONNECT_E_NOCONNECTION;
}

HRESULT CRewynCtrl::GetPages(CAUUID* pages) {
  if (!pages) return E_POINTER;
  pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
  if (!pages->pElems) {
    pages->cElems = 0;
    return E_OUTOFMEMORY;
  }
  pages->cElems = 1;
  pages->pElems[0] = CLSID_RewynPropPage;
  return S_OK;
}

// ---- IObjectSafety ----

HRESULT CRewynCtrl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) {
  if (!supported || !enabled) return E_POINTER;
  IUnknown* unknown = nullptr;
  const HRESULT hr = QueryInterface(iid, reinterpret_cast<void**>(&unknown));
  if (unknown) unknown->Release();
  *supported = *enabled = kSafeOptions;
  return SUCCEEDED(hr) ? S_OK : E_NOINTERFACE;
}

HRESULT CRewynCtrl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) {
  IUnknown* unknown = nullptr;
  if (FAILED(QueryInterface(iid, reinterpret_cast<void**>(&unknown)))) return E_NOINTERFACE;
  unknown->Release();
  return mask < 4 && (mask & enabled) == mask ? S_OK : E_FAIL;
}

// ---- the window ----

void CRewynCtrl::FindBrowser() {
  win32::ComPtr<IOleContainer> container;
  win32::ComPtr<IServiceProvider> services;
  if (site_ && SUCCEEDED(site_->GetContainer(container.Put())) && container &&
      SUCCEEDED(site_->QueryInterface(IID_IServiceProvider, services.PutVoid())))
    services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, browser_.PutVoid());
}

int CRewynCtrl::OnCreate() {
  HWND self = window_.Hwnd(), parent = GetParent(self);
  FindBrowser();
  SHANDLE_PTR top = 0;
  if (browser_ && SUCCEEDED(browser_->get_HWND(&top)) && top) {
    browser_window_ = reinterpret_cast<HWND>(top);
    hooked_window_ = browser_window_;
    SetWindowTextW(browser_window_, L"");
    browser_->put_AddressBar(VARIANT_FALSE);
    browser_->put_MenuBar(VARIANT_FALSE);
    browser_->put_ToolBar(VARIANT_FALSE);
  } else {
    hooked_window_ = parent;
  }
  if (!HookContainer(hooked_window_)) hooked_window_ = nullptr;
  presence_event_.Reset(CreateEventW(nullptr, FALSE, FALSE, kPresenceEvent));

  view_.reset(new (std::nothrow) view::PlayerScreenView);
  if (!view_) return -1;
  if (!view_->Create(self, 0, 0, kViewStyle, kViewId)) {
    view_.reset();
    return -1;
  }
  SetFollowingView(view_->Hwnd());
  if (browser_) InPlaceActivate(true);
  view_->SetExitTarget(self);
  return 0;
}

void CRewynCtrl::ForgetView() {
  if (view_ && FollowingView() == view_->Hwnd()) SetFollowingView(nullptr);
  view_.reset();
}

void CRewynCtrl::OnDestroy() {
  UnhookContainer(hooked_window_);
  hooked_window_ = nullptr;
  ForgetView();
  browser_.Reset();
}

void CRewynCtrl::OnPlayerExit() {
  AddRef();  // the parent may close the control while it is told
  if (browser_window_) PostMessageW(browser_window_, WM_CLOSE, 0, 0);
  else SendMessageW(GetParent(window_.Hwnd()), view::UM_PLAYER_EXIT, 0, 0);
  ForgetView();
  Release();
}

bool CRewynCtrl::OnCopyData(const COPYDATASTRUCT& data) {
  // The path is UTF-16 with its terminating zero.
  const size_t chars = data.cbData / sizeof(wchar_t);
  const wchar_t* path = static_cast<const wchar_t*>(data.lpData);
  if (!view_ || !path || data.cbData % sizeof(wchar_t) || chars == 0 || chars > 32768 || path[chars - 1])
    return false;
  switch (data.dwData) {
    case kOpenFileData:  // started only once it classifies as a backup file
      return view_->OpenFile(path);
#ifdef REWYN_BENCHMARK_BUILD
    case kRunBenchmarkData:
      return RunBenchmark(*view_, path);
#endif
  }
  return false;
}

LRESULT CRewynCtrl::OnWindowMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      if (window_.Default(msg, wp, lp) == -1) return -1;
      try {
        return OnCreate();
      } catch (...) {  // the view's buffers could not be had
        view_.reset();
        return -1;
      }
    case WM_DESTROY:
      window_.Default(msg, wp, lp);
      OnDestroy();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:  // the keyboard goes on to the player window, whose keys they are
      if (view_ && view_->Hwnd()) SetFocus(view_->Hwnd());
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window_.Hwnd(), &ps);
      FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      EndPaint(window_.Hwnd(), &ps);
      return 0;
    }
    case WM_COPYDATA:
      return OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lp));
    case view::UM_PLAYER_EXIT:
      OnPlayerExit();
      return 0;
  }
  return window_.Default(msg, wp, lp);
}

}  // namespace rewyn
