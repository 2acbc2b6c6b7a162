#include "prop_page.h"

#include <cwchar>
#include <new>

#include "rewyn_resources.h"

namespace rewyn {

namespace {

INT_PTR CALLBACK PageProcedure(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// A string resource in task memory, as PROPPAGEINFO wants it.
LPOLESTR TaskString(UINT id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(win32::ThisModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
  auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(wchar_t)));
  if (!out) return nullptr;
  if (length > 0) wmemcpy(out, text, length);
  out[length > 0 ? length : 0] = 0;
  return out;
}

}  // namespace

HRESULT CRewynPropPage::Create(const win32::ComClass&, REFIID iid, void** out) {
  return win32::CreateAndQuery(new (std::nothrow) CRewynPropPage, iid, out);
}

CRewynPropPage::~CRewynPropPage() { Deactivate(); }

HRESULT CRewynPropPage::SetPageSite(IPropertyPageSite* site) {
  site_.Share(site);
  return S_OK;
}

HRESULT CRewynPropPage::Activate(HWND parent, LPCRECT rect, BOOL) {
  if (dialog_) return E_UNEXPECTED;
  dialog_ = CreateDialogParamW(win32::ThisModule(), MAKEINTRESOURCEW(IDD_PROPPAGE), parent, PageProcedure, 0);
  if (!dialog_) return E_FAIL;
  if (rect) Move(rect);
  return S_OK;
}

HRESULT CRewynPropPage::Deactivate() {
  if (dialog_) DestroyWindow(dialog_);
  dialog_ = nullptr;
  return S_OK;
}

HRESULT CRewynPropPage::GetPageInfo(PROPPAGEINFO* info) {
  if (!info) return E_POINTER;
  info->cb = sizeof(*info);
  info->pszTitle = TaskString(IDS_PROPPAGE_CAPTION);
  info->pszDocString = nullptr;
  info->pszHelpFile = nullptr;
  info->dwHelpContext = 0;
  // The template's 250 x 62 dialog units in pixels.
  const LONG units = GetDialogBaseUnits();
  info->size = {MulDiv(250, LOWORD(units), 4), MulDiv(62, HIWORD(units), 8)};
  return info->pszTitle ? S_OK : E_OUTOFMEMORY;
}

HRESULT CRewynPropPage::Show(UINT show) {
  if (!dialog_) return E_UNEXPECTED;
  ShowWindow(dialog_, show);
  return S_OK;
}

HRESULT CRewynPropPage::Move(LPCRECT rect) {
  if (!dialog_ || !rect) return E_UNEXPECTED;
  MoveWindow(dialog_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
  return S_OK;
}

}  // namespace rewyn
