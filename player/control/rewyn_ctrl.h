// CRewynCtrl, the player as an ActiveX control: the OLE interfaces a
// container needs to embed and activate a windowed control in place, and the
// control's window, which holds the one player view. It offers its container
// no methods, properties or events.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <exdisp.h>
#include <objsafe.h>
#include <ocidl.h>

#include <memory>

#include "module.h"
#include "player_screen_view.h"
#include "win32/com_object.h"
#include "win32/owners.h"
#include "win32/window.h"

namespace rewyn {

class CRewynCtrl final
    : public win32::ComObject<CRewynCtrl, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IViewObject2,
                              IPersistStreamInit, IPersistPropertyBag, IOleControl, IDispatch, IProvideClassInfo,
                              IConnectionPointContainer, ISpecifyPropertyPages, IObjectSafety> {
 public:
  static HRESULT Create(const win32::ComClass&, REFIID iid, void** out);
  static std::span<const Entry> Interfaces();

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD save_option) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** out) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) override;
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* out) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow (of the in-place and the active object)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }
  // IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

  // IViewObject2
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw, LPCRECTL bounds,
                                 LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out) override;
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
    return GetExtent(aspect, size);
  }

  // IPersist, IPersistStreamInit, IPersistPropertyBag: nothing but the version is kept.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag*, IErrorLog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL, BOOL) override;

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }

  // IDispatch over _DRewyn, which has no members; IProvideClassInfo.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override;

  // IConnectionPointContainer: no events, so no connection points.
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID, IConnectionPoint** out) override;

  // ISpecifyPropertyPages: the one empty page.
  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

  // IObjectSafety: every interface the control has is safe for untrusted
  // callers and data.
  HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override;
  HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;

 private:
  // The control's own window; its messages go to the control.
  class ControlWindow : public win32::Window {
   public:
    explicit ControlWindow(CRewynCtrl& c) : control_(c) {}
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return win32::Window::OnMessage(msg, wp, lp); }

   private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override { return control_.OnWindowMessage(msg, wp, lp); }
    CRewynCtrl& control_;
  };
  friend class ControlWindow;

  CRewynCtrl();
  ~CRewynCtrl();
  HRESULT InPlaceActivate(bool with_ui);
  LRESULT OnWindowMessage(UINT msg, WPARAM wp, LPARAM lp);
  int OnCreate();
  void OnDestroy();
  void OnPlayerExit();
  bool OnCopyData(const COPYDATASTRUCT& data);
  void FindBrowser();
  void ForgetView();
  HRESULT TypeInfoOf(REFGUID id, ITypeInfo** out);

  ControlWindow window_{*this};

  win32::ComPtr<IOleClientSite> site_;
  win32::ComPtr<IOleInPlaceSite> in_place_site_;
  win32::ComPtr<IOleInPlaceFrame> frame_;
  win32::ComPtr<IOleInPlaceUIWindow> document_;
  win32::ComPtr<IOleAdviseHolder> advise_holder_;
  win32::ComPtr<IAdviseSink> view_sink_;
  DWORD view_advise_aspects_ = 0, view_advise_flags_ = 0;
  bool in_place_active_ = false, ui_active_ = false;
  SIZEL extent_{};  // HIMETRIC
  RECT position_{};

  std::unique_ptr<view::PlayerScreenView> view_;
  win32::ComPtr<IWebBrowser2> browser_;
  HWND browser_window_ = nullptr;
  HWND hooked_window_ = nullptr;  // the container window subclassed for moves
  win32::UniqueHandle presence_event_;
};

}  // namespace rewyn
