// CRewynPropPage: the control's one property page, shown by containers that
// ask for property pages. The control has no properties, so the page holds
// only its placeholder text.
#pragma once
#include <ole2.h>
#include <ocidl.h>

#include "win32/com_object.h"
#include "win32/owners.h"

namespace rewyn {

class CRewynPropPage final : public win32::ComObject<CRewynPropPage, IPropertyPage> {
 public:
  static HRESULT Create(const win32::ComClass&, REFIID iid, void** out);
  static std::span<const Entry> Interfaces() {
    static constexpr Entry kTable[] = {Reach<IPropertyPage>(IID_IPropertyPage)};
    return kTable;
  }

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
  win32::ComPtr<IPropertyPageSite> site_;
  HWND dialog_ = nullptr;
};

}  // namespace rewyn
