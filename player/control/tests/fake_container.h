// A scripted container for the control's tests: a site (client site,
// in-place site, frame, container) and, when asked for, a web browser behind
// the site's service provider. The calls the control may make are logged in
// order; any other call fails the test.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <exdisp.h>
#include <ocidl.h>
#include <shlguid.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fake {

struct CallLog {
  std::vector<std::string> calls;
  void Add(const std::string& call) { calls.push_back(call); }
};

inline HRESULT Unexpected(const char* name) {
  ADD_FAILURE() << "unexpected call " << name;
  return E_NOTIMPL;
}

// The browser: its top window is `window`; it logs what the control turns off.
class Browser final : public IWebBrowser2 {
 public:
  Browser(HWND window, CallLog& log) : window_(window), log_(log) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IWebBrowser && iid != IID_IWebBrowserApp &&
        iid != IID_IWebBrowser2)
      return E_NOINTERFACE;
    *out = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the test's stack
  LONG refs() const { return refs_; }

  HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* out) override {
    log_.Add("Browser::get_HWND");
    *out = reinterpret_cast<SHANDLE_PTR>(window_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL on) override { return Bar("AddressBar", on); }
  HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL on) override { return Bar("MenuBar", on); }
  HRESULT STDMETHODCALLTYPE put_ToolBar(int on) override { return Bar("ToolBar", on); }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return Unexpected("GetTypeInfoCount"); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return Unexpected("GetTypeInfo"); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return Unexpected("GetIDsOfNames");
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return Unexpected("Invoke");
  }
  HRESULT STDMETHODCALLTYPE GoBack() override { return Unexpected("GoBack"); }
  HRESULT STDMETHODCALLTYPE GoForward() override { return Unexpected("GoForward"); }
  HRESULT STDMETHODCALLTYPE GoHome() override { return Unexpected("GoHome"); }
  HRESULT STDMETHODCALLTYPE GoSearch() override { return Unexpected("GoSearch"); }
  HRESULT STDMETHODCALLTYPE Navigate(BSTR URL, VARIANT *Flags, VARIANT *TargetFrameName, VARIANT *PostData, VARIANT *Headers) override { return Unexpected("Navigate"); }
  HRESULT STDMETHODCALLTYPE Refresh() override { return Unexpected("Refresh"); }
  HRESULT STDMETHODCALLTYPE Refresh2(VARIANT *Level) override { return Unexpected("Refresh2"); }
  HRESULT STDMETHODCALLTYPE Stop() override { return Unexpected("Stop"); }
  HRESULT STDMETHODCALLTYPE get_Application(IDispatch **ppDisp) override { return Unexpected("get_Application"); }
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch **ppDisp) override { return Unexpected("get_Parent"); }
  HRESULT STDMETHODCALLTYPE get_Container(IDispatch **ppDisp) override { return Unexpected("get_Container"); }
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch **ppDisp) override { return Unexpected("get_Document"); }
  HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL *pBool) override { return Unexpected("get_TopLevelContainer"); }
  HRESULT STDMETHODCALLTYPE get_Type(BSTR *Type) override { return Unexpected("get_Type"); }
  HRESULT STDMETHODCALLTYPE get_Left(LONG *pl) override { return Unexpected("get_Left"); }
  HRESULT STDMETHODCALLTYPE put_Left(LONG Left) override { return Unexpected("put_Left"); }
  HRESULT STDMETHODCALLTYPE get_Top(LONG *pl) override { return Unexpected("get_Top"); }
  HRESULT STDMETHODCALLTYPE put_Top(LONG Top) override { return Unexpected("put_Top"); }
  HRESULT STDMETHODCALLTYPE get_Width(LONG *pl) override { return Unexpected("get_Width"); }
  HRESULT STDMETHODCALLTYPE put_Width(LONG Width) override { return Unexpected("put_Width"); }
  HRESULT STDMETHODCALLTYPE get_Height(LONG *pl) override { return Unexpected("get_Height"); }
  HRESULT STDMETHODCALLTYPE put_Height(LONG Height) override { return Unexpected("put_Height"); }
  HRESULT STDMETHODCALLTYPE get_LocationName(BSTR *LocationName) override { return Unexpected("get_LocationName"); }
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR *LocationURL) override { return Unexpected("get_LocationURL"); }
  HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL *pBool) override { return Unexpected("get_Busy"); }
  HRESULT STDMETHODCALLTYPE Quit() override { return Unexpected("Quit"); }
  HRESULT STDMETHODCALLTYPE ClientToWindow(int *pcx, int *pcy) override { return Unexpected("ClientToWindow"); }
  HRESULT STDMETHODCALLTYPE PutProperty(BSTR Property, VARIANT vtValue) override { return Unexpected("PutProperty"); }
  HRESULT STDMETHODCALLTYPE GetProperty(BSTR Property, VARIANT *pvtValue) override { return Unexpected("GetProperty"); }
  HRESULT STDMETHODCALLTYPE get_Name(BSTR *Name) override { return Unexpected("get_Name"); }
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR *FullName) override { return Unexpected("get_FullName"); }
  HRESULT STDMETHODCALLTYPE get_Path(BSTR *Path) override { return Unexpected("get_Path"); }
  HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL *pBool) override { return Unexpected("get_Visible"); }
  HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Value) override { return Unexpected("put_Visible"); }
  HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL *pBool) override { return Unexpected("get_StatusBar"); }
  HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL Value) override { return Unexpected("put_StatusBar"); }
  HRESULT STDMETHODCALLTYPE get_StatusText(BSTR *StatusText) override { return Unexpected("get_StatusText"); }
  HRESULT STDMETHODCALLTYPE put_StatusText(BSTR StatusText) override { return Unexpected("put_StatusText"); }
  HRESULT STDMETHODCALLTYPE get_ToolBar(int *Value) override { return Unexpected("get_ToolBar"); }
  HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL *Value) override { return Unexpected("get_MenuBar"); }
  HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL *pbFullScreen) override { return Unexpected("get_FullScreen"); }
  HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL bFullScreen) override { return Unexpected("put_FullScreen"); }
  HRESULT STDMETHODCALLTYPE Navigate2(VARIANT *URL, VARIANT *Flags, VARIANT *TargetFrameName, VARIANT *PostData, VARIANT *Headers) override { return Unexpected("Navigate2"); }
  HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID cmdID, OLECMDF *pcmdf) override { return Unexpected("QueryStatusWB"); }
  HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT *pvaIn, VARIANT *pvaOut) override { return Unexpected("ExecWB"); }
  HRESULT STDMETHODCALLTYPE ShowBrowserBar(VARIANT *pvaClsid, VARIANT *pvarShow, VARIANT *pvarSize) override { return Unexpected("ShowBrowserBar"); }
  HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE *plReadyState) override { return Unexpected("get_ReadyState"); }
  HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL *pbOffline) override { return Unexpected("get_Offline"); }
  HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL bOffline) override { return Unexpected("put_Offline"); }
  HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL *pbSilent) override { return Unexpected("get_Silent"); }
  HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL bSilent) override { return Unexpected("put_Silent"); }
  HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL *pbRegister) override { return Unexpected("get_RegisterAsBrowser"); }
  HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL bRegister) override { return Unexpected("put_RegisterAsBrowser"); }
  HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL *pbRegister) override { return Unexpected("get_RegisterAsDropTarget"); }
  HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL bRegister) override { return Unexpected("put_RegisterAsDropTarget"); }
  HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL *pbRegister) override { return Unexpected("get_TheaterMode"); }
  HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL bRegister) override { return Unexpected("put_TheaterMode"); }
  HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL *Value) override { return Unexpected("get_AddressBar"); }
  HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL *Value) override { return Unexpected("get_Resizable"); }
  HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL Value) override { return Unexpected("put_Resizable"); }

 private:
  HRESULT Bar(const char* name, int on) {
    log_.Add(std::string("Browser::put_") + name + (on ? "(on)" : "(off)"));
    return S_OK;
  }
  HWND window_;
  CallLog& log_;
  LONG refs_ = 0;
};

// The site of one control in `parent` on `rect`; with a browser, the client
// site is also the container and serves the browser.
class Site final : public IOleClientSite,
                   public IOleInPlaceSite,
                   public IOleInPlaceFrame,
                   public IOleContainer,
                   public IServiceProvider {
 public:
  Site(HWND parent, RECT rect, CallLog& log, Browser* browser = nullptr)
      : parent_(parent), rect_(rect), log_(log), browser_(browser) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) *out = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
      *out = static_cast<IOleInPlaceFrame*>(this);
    else if (browser_ && (iid == IID_IParseDisplayName || iid == IID_IOleContainer))
      *out = static_cast<IOleContainer*>(this);
    else if (browser_ && iid == IID_IServiceProvider) *out = static_cast<IServiceProvider*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the test's stack
  LONG refs() const { return refs_; }
  IOleInPlaceActiveObject* active() const { return active_; }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return Unexpected("SaveObject"); }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return Unexpected("GetMoniker"); }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
    log_.Add("GetContainer");
    *out = browser_ ? static_cast<IOleContainer*>(this) : nullptr;
    if (*out) AddRef();
    return browser_ ? S_OK : E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return Log("ShowObject"); }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return Log("OnShowWindow"); }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return Unexpected("RequestNewObjectLayout"); }

  // IOleWindow
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    log_.Add("GetWindow");
    *out = parent_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return Unexpected("ContextSensitiveHelp"); }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return Log("CanInPlaceActivate"); }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return Log("OnInPlaceActivate"); }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return Log("OnUIActivate"); }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                                             RECT* clip, OLEINPLACEFRAMEINFO* info) override {
    log_.Add("GetWindowContext");
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
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return Unexpected("Scroll"); }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return Log("OnUIDeactivate"); }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return Log("OnInPlaceDeactivate"); }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return Unexpected("DiscardUndoState"); }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return Unexpected("DeactivateAndUndo"); }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return Unexpected("OnPosRectChange"); }

  // IOleInPlaceUIWindow, IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return Unexpected("GetBorder"); }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return Unexpected("RequestBorderSpace"); }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return Unexpected("SetBorderSpace"); }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
    log_.Add(object ? "SetActiveObject(control)" : "SetActiveObject(none)");
    if (object) object->AddRef();
    if (active_) active_->Release();
    active_ = object;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return Unexpected("InsertMenus"); }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return Unexpected("SetMenu"); }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return Unexpected("RemoveMenus"); }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return Unexpected("SetStatusText"); }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return Unexpected("EnableModeless"); }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return Unexpected("TranslateAccelerator"); }

  // IOleContainer
  HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override {
    return Unexpected("ParseDisplayName");
  }
  HRESULT STDMETHODCALLTYPE EnumObjects(DWORD, IEnumUnknown**) override { return Unexpected("EnumObjects"); }
  HRESULT STDMETHODCALLTYPE LockContainer(BOOL) override { return Unexpected("LockContainer"); }

  // IServiceProvider
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** out) override {
    log_.Add("QueryService");
    *out = nullptr;
    if (service != SID_SWebBrowserApp) return E_NOINTERFACE;
    return browser_->QueryInterface(iid, out);
  }

 private:
  HRESULT Log(const char* name) {
    log_.Add(name);
    return S_OK;
  }
  HWND parent_;
  RECT rect_;
  CallLog& log_;
  Browser* browser_;
  IOleInPlaceActiveObject* active_ = nullptr;
  LONG refs_ = 0;
};

}  // namespace fake
