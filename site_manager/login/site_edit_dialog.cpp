#include "site_edit_dialog.h"

#include <atomic>
#include <thread>

#include "dialog_texts.h"
#include "hostwell.h"
#include "login_resource.h"
#include "ostra_messages.h"
#include "site_edit_rules.h"
#include "site_list.h"
#include "win32/text_codec.h"

namespace {

constexpr wchar_t kSection[] = L"SETUP CONNECTION";
constexpr wchar_t kDefaultServer[] = L"http://127.0.0.1:8053/";

struct Caption {
  int control;
  const wchar_t* key;
  const wchar_t* text;
};
constexpr Caption kCaptions[] = {
    {kGroupBox, L"Group", L"IP SETUP"},         {kConnectionBox, L"SubGroup", L"CONNECTION"},
    {kLoginBox, L"Login", L"LOGIN"},            {kManualRadio, L"Manual", L"MANUAL"},
    {kDdnsRadio, L"DDNS", L"DDNS"},             {kMemberLabel, L"DDNS ID", L"MEMBER ID"},
    {kNameLabel, L"DDNS Name", L"NAME"},        {kLookupButton, L"DDNS Test", L"GET ADDRESS & PORT"},
    {kAddressLabel, L"Address", L"ADDRESS"},    {kPortLabel, L"Port", L"PORT"},
    {kLocationLabel, L"Location", L"LOCATION"}, {kUserIdLabel, L"UserID", L"USER ID"},
    {kPasswordLabel, L"Password", L"PASSWORD"}, {kOkButton, L"OK", L"OK"},
    {kCancelButton, L"Cancel", L"CANCEL"},
};

// The controls a running lookup keeps disabled.
constexpr int kLookupControls[] = {kLookupButton, kManualRadio, kDdnsRadio, kOkButton, kMemberEdit, kNameEdit};

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

}  // namespace

// What a lookup asks and what it found. The thread writes the result fields
// and then sets done; the dialog reads them only after its message came.
struct CIPSetupDlg::Lookup {
  uint32_t number = 0;
  int mode = 1;
  std::u16string server, member, name;
  HWND dialog = nullptr;
  // Written by the lookup thread before it posts.
  int connected = 0;
  int found = 0;
  std::string address;
  int port = 0;
};

CIPSetupDlg::CIPSetupDlg(HWND owner) : owner_(owner) {}

// The lookup thread is not waited for: it holds its own share of the lookup.
CIPSetupDlg::~CIPSetupDlg() = default;

INT_PTR CIPSetupDlg::Run() { return Dialog::Run(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SITE_EDIT), owner_); }

std::u16string CIPSetupDlg::Text(int control, size_t maxChars) const {
  std::wstring text(size_t(GetWindowTextLengthW(Item(control))) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(Item(control), text.data(), int(text.size()))));
  if (text.size() > maxChars) text.resize(maxChars);
  return std::u16string(text.begin(), text.end());
}

void CIPSetupDlg::SetText(int control, std::u16string_view text) {
  SetWindowTextW(Item(control), std::wstring(text.begin(), text.end()).c_str());
}

void CIPSetupDlg::ReadSettings() {
  const std::wstring path = GetProgramDirectory() + L"\\CONFIG\\DDNS.ini";
  wchar_t server[256] = {};
  GetPrivateProfileStringW(L"DDNS", L"server", kDefaultServer, server, 256, path.c_str());
  serverUrl_.assign(server, server + wcslen(server));
  ddnsMode_ = int(GetPrivateProfileIntW(L"DDNS", L"mode", kDdnsByName, path.c_str()));
}

void CIPSetupDlg::LayOut() {
  const SiteEditLayout layout = LayoutFor(ddnsMode_);
  SetWindowPos(Hwnd(), nullptr, 0, 0, layout.width, layout.height, SWP_NOMOVE | SWP_NOZORDER);
  for (const ControlPlace& p : layout.shown) {
    SetWindowPos(Item(p.id), nullptr, p.x, p.y, p.width, p.height, SWP_NOZORDER);
    ShowWindow(Item(p.id), SW_SHOW);
  }
  for (int id : layout.hidden) ShowWindow(Item(id), SW_HIDE);
  CentreOn(Hwnd(), owner_);
}

BOOL CIPSetupDlg::OnInit() {
  SetSiteDialogTitle(Hwnd());
  for (const Caption& c : kCaptions) SetSkinCaption(Hwnd(), c.control, kSection, c.key, c.text);
  DDNSAPI_DebugOnOff(0);
  ReadSettings();
  LayOut();
  for (auto [control, limit] : {std::pair{kAddressEdit, 60}, {kLocationEdit, 60}, {kPortEdit, 5}, {kUserIdEdit, 8},
                                {kPasswordEdit, 8}})
    SendMessageW(Item(control), EM_LIMITTEXT, limit, 0);

  SetState(ddnsMode_ != kNoDdns && record.type != 0);
  if (useDdns_) {
    SetText(kMemberEdit, SiteText(record.ddnsMember));
    SetText(kNameEdit, SiteText(record.ddnsName));
  }
  SetText(kAddressEdit, SiteText(record.ip));
  SetDlgItemInt(Hwnd(), kPortEdit, UINT(record.port), TRUE);
  SetText(kLocationEdit, SiteText(record.location));
  SetText(kUserIdEdit, SiteText(record.id));
  SetText(kPasswordEdit, SiteText(record.pwd));
  return TRUE;
}

void CIPSetupDlg::SetState(bool useDdns) {
  useDdns_ = useDdns;
  CheckDlgButton(Hwnd(), kManualRadio, useDdns ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(Hwnd(), kDdnsRadio, useDdns ? BST_CHECKED : BST_UNCHECKED);
  for (int id : {kAddressEdit, kPortEdit}) EnableWindow(Item(id), !useDdns);
  for (int id : {kMemberEdit, kNameEdit, kLookupButton}) EnableWindow(Item(id), useDdns);
}

void CIPSetupDlg::EnableLookupControls(bool enable) {
  for (int id : kLookupControls) EnableWindow(Item(id), enable);
}

void CIPSetupDlg::StartLookup() {
  if (!useDdns_) return;
  SetSiteText(record.ddnsMember, Text(kMemberEdit, 29));
  SetSiteText(record.ddnsName, Text(kNameEdit, 29));
  auto job = std::make_shared<Lookup>();
  job->number = lookup_ ? lookup_->number + 1 : 1;
  job->mode = ddnsMode_;
  job->server = serverUrl_;
  job->member = std::u16string(SiteText(record.ddnsMember));
  job->name = std::u16string(SiteText(record.ddnsName));
  job->dialog = Hwnd();
  lookup_ = job;
  EnableLookupControls(false);
  lookupThread_.Reset();  // an earlier thread is not waited for
  auto* share = new std::shared_ptr<Lookup>(job);
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* p) WINAPI -> DWORD {
        std::unique_ptr<std::shared_ptr<Lookup>> hold(static_cast<std::shared_ptr<Lookup>*>(p));
        Lookup& l = **hold;
        l.connected = l.mode == kDdnsByName ? DDNSAPI_ConnectW(W(l.server), W(l.member), W(l.name))
                                            : DDNSAPI_ConnectW(W(l.server), W(l.member));
        if (l.connected) {
          char address[256] = {};
          int port = 0;
          l.found = DDNSAPI_GetIPAndPort(address, sizeof(address), &port) >= 1;
          address[sizeof(address) - 1] = 0;
          l.address = address;
          l.port = port;
        }
        PostMessageW(l.dialog, UM_LOOKUP_DONE, l.number, 0);  // dropped when the dialog is gone
        return 0;
      },
      share, 0, nullptr);
  if (thread) {
    lookupThread_.Reset(thread);
  } else {
    delete share;
    EnableLookupControls(true);
  }
}

void CIPSetupDlg::OnLookupDone() {
  EnableLookupControls(true);
  const Lookup& l = *lookup_;
  if (!l.connected) return ShowSkinMessage(kSection, u"DDNSErrMsg2", u"Invalid Server URL");
  if (!l.found) return ShowSkinMessage(kSection, u"DDNSErrMsg1", u"NOT Receive Data");
  const std::wstring address = win32::FromAnsi(l.address.c_str());
  SetSiteText(record.ip, std::u16string(address.begin(), address.end()));  // cut to the field
  record.port = l.port;
  SetText(kAddressEdit, SiteText(record.ip));
  SetDlgItemInt(Hwnd(), kPortEdit, UINT(record.port), TRUE);
}

void CIPSetupDlg::OnOk() {
  SiteEditFields f;
  f.useDdns = useDdns_;
  if (useDdns_) {
    f.member = Text(kMemberEdit, 29);
    if (ddnsMode_ == kDdnsByName) f.name = Text(kNameEdit, 29);
  }
  f.address = Text(kAddressEdit, 59);
  f.port = Text(kPortEdit);
  f.location = Text(kLocationEdit, 29);
  f.id = Text(kUserIdEdit, 29);
  f.pwd = Text(kPasswordEdit, 29);
  SiteEditCheck check = CheckSiteEdit(f, ddnsMode_);
  if (check.failure) {
    if (check.lookupFirst) StartLookup();
    return ShowSkinMessage(kSection, check.failure->key, check.failure->text);
  }
  record = check.record;
  End(IDOK);
}

INT_PTR CIPSetupDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kManualRadio:
          if (useDdns_) SetState(false);
          return TRUE;
        case kDdnsRadio:
          if (!useDdns_) SetState(true);
          return TRUE;
        case kLookupButton:
          StartLookup();
          return TRUE;
        case kPortEdit:
          if (HIWORD(wp) == EN_CHANGE)
            if (std::optional<int32_t> port = GuardedPort(Text(kPortEdit))) SetDlgItemInt(Hwnd(), kPortEdit, UINT(*port), TRUE);
          return TRUE;
        case kOkButton:
          OnOk();
          return TRUE;
        case kCancelButton:
          End(IDCANCEL);
          return TRUE;
      }
      return TRUE;  // Enter and Escape (IDOK, IDCANCEL) close nothing
    case UM_LOOKUP_DONE:
      if (lookup_ && lookup_->number == uint32_t(wp)) OnLookupDone();
      return TRUE;
  }
  return FALSE;
}
