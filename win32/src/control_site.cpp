#include "win32/control_site.h"

#include <ocidl.h>
#include <olectl.h>

#include "win32/com_object.h"

namespace win32 {

// The site of one control: its client site, its in-place site and the frame
// of its window. The control's window lives in `parent`; the site offers no
// document window, no menus, no border space and no services.
class ControlSite final
    : public ComObject<ControlSite, IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame> {
 public:
  ControlSite(HWND parent, const RECT& rect) : parent_(parent), rect_(rect) {}

  static std::span<const Entry> Interfaces() {
    static constexpr Entry kTable[] = {
        Reach<IOleClientSite>(IID_IOleClientSite),
        Reach<IOleInPlaceSite>(IID_IOleWindow),
        Reach<IOleInPlaceSite>(IID_IOleInPlaceSite),
        Reach<IOleInPlaceFrame>(IID_IOleInPlaceUIWindow),
        Reach<IOleInPlaceFrame>(IID_IOleInPlaceFrame),
    };
    return kTable;
  }

  IOleInPlaceActiveObject* ActiveObject() const { return active_.Get(); }
  void SetRect(const RECT& rect) { rect_ = rect; }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (of the in-place site and of the frame)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = parent_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                             RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) override {
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *frame = this;
    AddRef();
    *document = nullptr;
    *position = *clip = rect_;
    info->fMDIApp = FALSE;
    info->hwndFrame = parent_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    active_.Reset();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT rect) override {
    if (rect) rect_ = *rect;
    return S_OK;
  }

  // IOleInPlaceUIWindow, IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
    active_.Share(object);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  ~ControlSite() override = default;

  HWND parent_;
  RECT rect_;
  ComPtr<IOleInPlaceActiveObject> active_;
};

namespace {
bool ClassOf(const wchar_t* name, CLSID* clsid) {
  return name[0] == L'{' ? SUCCEEDED(CLSIDFromString(name, clsid)) : SUCCEEDED(CLSIDFromProgID(name, clsid));
}

// The object's extent (HIMETRIC) in screen pixels, at the origin.
RECT NaturalRect(IOleObject* object) {
  SIZEL extent{};
  object->GetExtent(DVASPECT_CONTENT, &extent);
  HDC screen = GetDC(nullptr);
  const RECT r{0, 0, MulDiv(extent.cx, GetDeviceCaps(screen, LOGPIXELSX), 2540),
               MulDiv(extent.cy, GetDeviceCaps(screen, LOGPIXELSY), 2540)};
  ReleaseDC(nullptr, screen);
  return r;
}
}  // namespace

ControlHost::ControlHost() = default;
ControlHost::~ControlHost() { Close(); }

bool ControlHost::Create(HWND parent, const wchar_t* prog_id, const RECT* rect) {
  CLSID clsid;
  ComPtr<IOleObject> object;
  return ClassOf(prog_id, &clsid) &&
         SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object.PutVoid())) &&
         Create(parent, object.Get(), rect);
}

bool ControlHost::Create(HWND parent, IOleObject* object, const RECT* rect) {
  Close();
  if (!object) return false;
  object_.Share(object);
  RECT r = rect ? *rect : NaturalRect(object_.Get());
  site_.Reset(new ControlSite(parent, r));
  DWORD status = 0;
  object_->GetMiscStatus(DVASPECT_CONTENT, &status);
  const bool site_first = (status & OLEMISC_SETCLIENTSITEFIRST) != 0;
  if (site_first) object_->SetClientSite(site_.Get());
  {
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(object_->QueryInterface(IID_IPersistStreamInit, persist.PutVoid()))) persist->InitNew();
  }
  if (!site_first) object_->SetClientSite(site_.Get());
  if (FAILED(object_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site_.Get(), 0, parent, &r)) || !ControlWindow()) {
    Close();
    return false;
  }
  return true;
}

void ControlHost::Close() {
  if (object_) {
    ComPtr<IOleInPlaceObject> in_place;
    if (SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject, in_place.PutVoid()))) {
      in_place->UIDeactivate();
      in_place->InPlaceDeactivate();
    }
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_.Reset();
  }
  site_.Reset();
}

void ControlHost::Abandon() {
  object_.Detach();
  site_.Detach();
}

HWND ControlHost::ControlWindow() const {
  if (!object_) return nullptr;
  ComPtr<IOleInPlaceObject> in_place;
  HWND hwnd = nullptr;
  if (SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject, in_place.PutVoid()))) in_place->GetWindow(&hwnd);
  return hwnd;
}

void ControlHost::Move(const RECT& rect) {
  if (!object_) return;
  site_->SetRect(rect);
  ComPtr<IOleInPlaceObject> in_place;
  if (SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject, in_place.PutVoid())))
    in_place->SetObjectRects(&rect, &rect);
}

bool ControlHost::TranslateKey(MSG& msg) {
  IOleInPlaceActiveObject* active = site_ ? site_->ActiveObject() : nullptr;
  return active && active->TranslateAccelerator(&msg) == S_OK;
}

}  // namespace win32
