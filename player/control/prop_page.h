// CRewynPropPage: the control's one property page, shown by containers that
// ask for property pages. The control has no properties, so the page holds
// only its placeholder text.
#pragma once
#include <ole2.h>
#include <ocidl.h>

#include "module.h"

namespace rewyn {

class CRewynPropPage final : public IPropertyPage {
 public:
  static HRESULT Create(REFIID iid, void** out);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
  HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
  HRESULT STDMETHODCALLTYPE Deactivate() override;
  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
  HRESULT STDMETHODCALLTYPE SetObjects(ULONG, IUnknown**) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Show(UINT show) override;
  HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
  HRESULT STDMETHODCALLTYPE IsPageDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Apply() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

 private:
  CRewynPropPage() = default;
  ~CRewynPropPage();
  LONG refs_ = 1;
  ModuleLock lock_;
  IPropertyPageSite* site_ = nullptr;  // one reference held
  HWND dialog_ = nullptr;
};

}  // namespace rewyn
