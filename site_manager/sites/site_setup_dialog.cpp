#include "site_setup_dialog.h"

#include <algorithm>
#include <utility>

#include "dialog_texts.h"
#include "sites_resource.h"

namespace {

constexpr wchar_t kSection[] = L"SITE SETUP";
enum : int { kGroup = 1057, kList = 1050, kNewSite = 1051, kUpdate = 1052, kDelete = 1053, kSelect = 1054,
             kCancel = 1055, kSave = 1056 };

struct Caption {
  int control;
  const wchar_t* key;
  const wchar_t* text;
};
constexpr Caption kCaptions[] = {{kGroup, L"Group", L"SITE SETUP"}, {kNewSite, L"New Site", L"REGISTERING SITE"},
                                 {kUpdate, L"Update", L"UPDATE"},   {kDelete, L"Delete", L"DELETE"},
                                 {kSave, L"Save", L"SAVE"},         {kSelect, L"Select", L"OK"},
                                 {kCancel, L"Cancel", L"CANCEL"}};

struct Column {
  const wchar_t* key;
  const wchar_t* text;
  int width;
};
constexpr Column kColumns[kSiteColumns] = {
    {L"Address", L"Address", 170}, {L"Location", L"Location", 110}, {L"Port", L"Port#", 65},
    {L"Type", L"Type", 60},        {L"ID", L"ID", 70}};

// A copy for the edit and login dialogs: port 0 offered as 50000.
SiteRecord Offered(const SiteRecord& site) {
  SiteRecord copy = NewSiteRecord();
  if (site.size == kSiteRecordSize) copy = site;
  if (copy.port == 0) copy.port = kDefaultSitePort;
  return copy;
}

}  // namespace

CSiteSetup::CSiteSetup(HWND owner, SiteDialogs dialogs) : owner_(owner), dialogs_(std::move(dialogs)) {
  LoadSiteList(sites_);
}

CSiteSetup::~CSiteSetup() {
  if (rowHeight_) ImageList_Destroy(rowHeight_);
}

INT_PTR CSiteSetup::Run() {
  return Dialog::Run(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SITE_SETUP), owner_);
}

BOOL CSiteSetup::OnInit() {
  SetSiteDialogTitle(Hwnd());
  for (const Caption& c : kCaptions) SetSkinCaption(Hwnd(), c.control, kSection, c.key, c.text);
  list_.Attach(Hwnd(), kList);
  HWND list = list_.Hwnd();
  ListView_SetTextColor(list, RGB(0, 0, 128));
  ListView_SetTextBkColor(list, RGB(255, 251, 240));
  ListView_SetBkColor(list, RGB(255, 251, 240));
  list_.SetSelectionColours(RGB(0, 0, 0), RGB(192, 220, 192), RGB(192, 220, 192));
  rowHeight_ = ImageList_Create(1, 20, ILC_COLOR4, 1, 1);
  ListView_SetImageList(list, rowHeight_, LVSIL_STATE);
  list_.MeasureRows();
  for (int i = 0; i < kSiteColumns; ++i) {
    const std::wstring caption = SkinText(kSection, kColumns[i].key, kColumns[i].text);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    c.fmt = LVCFMT_LEFT;
    c.cx = kColumns[i].width;
    c.pszText = const_cast<wchar_t*>(caption.c_str());
    c.iSubItem = i;
    ListView_InsertColumn(list, i, &c);
  }
  FillRows();
  CentreOn(Hwnd(), owner_);
  SetFocus(list);
  return FALSE;  // the focus is set
}

void CSiteSetup::WriteRow(int row, const SiteRecord& site) {
  const auto cells = SiteCells(site);
  for (int c = 0; c < kSiteColumns; ++c) {
    std::wstring text(cells[size_t(c)].begin(), cells[size_t(c)].end());
    ListView_SetItemText(list_.Hwnd(), row, c, text.data());
  }
}

void CSiteSetup::FillRows() {
  ListView_DeleteAllItems(list_.Hwnd());
  for (const auto& site : sites_) {
    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list_.Hwnd());
    item.pszText = const_cast<wchar_t*>(L"");
    item.lParam = reinterpret_cast<LPARAM>(site.get());
    const int row = ListView_InsertItem(list_.Hwnd(), &item);
    if (row >= 0) WriteRow(row, *site);
  }
}

SiteRecord* CSiteSetup::SelectedSite(int* rowOut) const {
  const int row = ListView_GetNextItem(list_.Hwnd(), -1, LVNI_SELECTED);
  if (rowOut) *rowOut = row;
  if (row < 0) return nullptr;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  ListView_GetItem(list_.Hwnd(), &item);
  return reinterpret_cast<SiteRecord*>(item.lParam);
}

void CSiteSetup::OnNewSite() {
  selected = NewSiteRecord();
  SiteRecord edited = Offered(selected);
  if (dialogs_.edit(Hwnd(), edited)) {
    auto site = std::make_unique<SiteRecord>();
    *site = SiteRecord{};
    if (edited.size == kSiteRecordSize) *site = edited;
    sites_.push_back(std::move(site));
  }
  FillRows();
}

void CSiteSetup::OnUpdate() {
  int row = -1;
  SiteRecord* site = SelectedSite(&row);
  if (!site) return;
  SiteRecord edited = Offered(*site);
  if (!dialogs_.edit(Hwnd(), edited)) return;
  if (edited.size == kSiteRecordSize) *site = edited;
  WriteRow(row, *site);
}

void CSiteSetup::OnDelete() {
  int row = -1;
  SiteRecord* site = SelectedSite(&row);
  if (!site) return;
  ListView_DeleteItem(list_.Hwnd(), row);
  std::erase_if(sites_, [site](const std::unique_ptr<SiteRecord>& s) { return s.get() == site; });
}

void CSiteSetup::Save() {
  const DWORD error = SaveSiteList(sites_);
  if (error == 0) return;
  // The file keeps what it held; the person is told, with the system's reason.
  wchar_t* reason = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 error, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
  ShowSkinMessage(kSection, u"SaveErrMsg", u"The site list cannot be saved; the file keeps the sites it held.",
                  reason ? reason : L"");
  if (reason) LocalFree(reason);
}

void CSiteSetup::OnSelect() {
  SiteRecord* site = SelectedSite();
  if (!site) return ShowSkinMessage(kSection, u"ErrorMsg", u"One Site Select Please.");
  selected = *site;
  Save();  // kept whether or not the login succeeds
  if (dialogs_.login(Hwnd(), Offered(*site))) End(IDOK);
}

INT_PTR CSiteSetup::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MEASUREITEM:
      if (CMagicList::MeasureItemMessage(Hwnd(), reinterpret_cast<MEASUREITEMSTRUCT*>(lp))) return TRUE;
      return FALSE;
    case WM_DRAWITEM:
      return CMagicList::DrawItemMessage(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    case WM_NOTIFY: {
      const auto* n = reinterpret_cast<const NMHDR*>(lp);
      if (n->idFrom == kList && n->code == NM_DBLCLK) OnSelect();
      return FALSE;
    }
    case WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) return TRUE;
      switch (LOWORD(wp)) {
        case kNewSite: OnNewSite(); break;
        case kUpdate: OnUpdate(); break;
        case kDelete: OnDelete(); break;
        case kSave: Save(); break;
        case kSelect: OnSelect(); break;
        case kCancel: End(IDCANCEL); break;
      }
      return TRUE;  // Enter and Escape (IDOK, IDCANCEL) close nothing
  }
  return FALSE;
}
