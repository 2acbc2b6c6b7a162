// The registered control ("REWYN.RewynCtrl.1") in scripted containers of
// this process: what it asks of its site, how it treats its container's
// window and a hosting browser, two controls at once, and IObjectSafety.
#include <windows.h>
#include <commctrl.h>
#include <objsafe.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "control_messages.h"
#include "fake_container.h"
#include "mark_reader.h"
#include "message_pump.h"
#include "player_controls.h"
#include "player_messages.h"
#include "skin_table.h"
#include "ui_driver.h"
#include "win32/owners.h"
#include "win32/window.h"

namespace {

using Calls = std::vector<std::string>;

constexpr wchar_t kProgId[] = L"REWYN.RewynCtrl.1";
constexpr int kViewId = 0xE900;

std::wstring Fixture(const char* name) {
  std::string path = std::string(FIXTURE_DIR) + "/" + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return std::wstring(path.begin(), path.end());
}

using testsupport::PumpFor;
using testsupport::PumpUntil;

RECT SkinRect(int id) {
  const auto r = skin::FindRect(skin::kPlayerSkin, uint16_t(id));
  return r ? RECT{r->left, r->top, r->right, r->bottom} : RECT{};
}

// A container's window: top level, shown, counting what reaches it.
class Container : public win32::Window {
 public:
  Container(int x, int y, const wchar_t* title = L"container") {
    Create(L"RewynTestContainer", title, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, x, y, 1000, 740, nullptr);
  }
  void Raise() {
    SetWindowPos(Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(Hwnd());
    PumpFor(200);
  }
  int exits = 0, closes = 0;

 private:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == view::UM_PLAYER_EXIT) return ++exits, 0;
    if (msg == WM_CLOSE) return ++closes, 0;  // a browser would close; the test keeps the window
    return Window::OnMessage(msg, wp, lp);
  }
};

HWND ViewIn(HWND window) { return uidriver::FindDescendant(window, L"PlayerScreenView"); }

// Counts UM_FOLLOW_MOVE reaching a view.
struct FollowCounter {
  explicit FollowCounter(HWND view) : view(view) { SetWindowSubclass(view, Proc, 1, DWORD_PTR(this)); }
  ~FollowCounter() {
    if (IsWindow(view)) RemoveWindowSubclass(view, Proc, 1);
  }
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    if (msg == view::UM_FOLLOW_MOVE) ++reinterpret_cast<FollowCounter*>(self)->moves;
    return DefSubclassProc(h, msg, wp, lp);
  }
  HWND view;
  int moves = 0;
};

// One control created by ProgID, given its site and activated with its user interface.
struct Control {
  Control(fake::Site& site, HWND parent, RECT rect) {
    EXPECT_EQ(CoCreateInstance(Class(), nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object.PutVoid()), S_OK);
    if (!object) return;
    EXPECT_EQ(object->SetClientSite(&site), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, parent, &rect), S_OK);
  }
  ~Control() { Close(); }
  static CLSID Class() {
    CLSID clsid{};
    CLSIDFromProgID(kProgId, &clsid);
    return clsid;
  }
  HWND Window() const {
    win32::ComPtr<IOleWindow> w;
    HWND h = nullptr;
    if (object && SUCCEEDED(object->QueryInterface(IID_IOleWindow, w.PutVoid()))) w->GetWindow(&h);
    return h;
  }
  HWND View() const { return Window() ? ViewIn(Window()) : nullptr; }
  void Close() {
    if (!object) return;
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    object.Reset();
  }
  bool Open(const std::wstring& path) {
    COPYDATASTRUCT data{rewyn::kOpenFileData, DWORD((path.size() + 1) * sizeof(wchar_t)),
                        const_cast<wchar_t*>(path.c_str())};
    return SendMessageW(Window(), WM_COPYDATA, 0, LPARAM(&data)) == 1;
  }
  void Click(int skin_id) const {
    const RECT r = SkinRect(skin_id);
    uidriver::Click(uidriver::OnScreen(View(), POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
  }
  // The picture number of camera 1 on screen, or -1.
  int Picture() const {
    const Pixels video = uidriver::Capture(uidriver::OnScreen(View(), SkinRect(view::kVideoArea)));
    const auto mark = testsupport::ReadQuarterMark(video.View(), 1);
    return mark ? mark->picture : -1;
  }
  using Pixels = uidriver::Pixels;
  win32::ComPtr<IOleObject> object;
};

bool PresenceEventExists() {
  win32::UniqueHandle e(OpenEventW(SYNCHRONIZE, FALSE, L"Global\\KESTA_WEB_PLAYER"));
  return bool(e);
}

class RewynCtrl : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ole_.Ok()); }
  win32::ComScope ole_{win32::Apartment::kOle};
};

TEST_F(RewynCtrl, InAContainerThatIsNoBrowserItSubclassesTheParentAndExitTellsIt) {
  Container parent(0, 0);
  const LONG_PTR own_procedure = GetWindowLongPtrW(parent.Hwnd(), GWLP_WNDPROC);
  fake::CallLog log;
  fake::Site site(parent.Hwnd(), {5, 5, 995, 735}, log);
  {
    Control c(site, parent.Hwnd(), {5, 5, 995, 735});
    ASSERT_TRUE(c.View());
    EXPECT_EQ(log.calls, (Calls{"CanInPlaceActivate", "OnInPlaceActivate", "GetWindow", "GetWindowContext",
                                "GetContainer", "OnUIActivate", "SetActiveObject(control)"}));
    EXPECT_NE(GetWindowLongPtrW(parent.Hwnd(), GWLP_WNDPROC), own_procedure) << "the parent is subclassed";
    EXPECT_EQ(GetParent(c.Window()), parent.Hwnd());
    EXPECT_TRUE(PresenceEventExists());

    // The view: child 0xE900 of the control, in a border, its client area the panel.
    HWND view = c.View();
    EXPECT_EQ(GetParent(view), c.Window());
    EXPECT_EQ(GetDlgCtrlID(view), kViewId);
    EXPECT_TRUE(GetWindowLongW(view, GWL_STYLE) & WS_BORDER);
    RECT client{};
    GetClientRect(view, &client);
    const RECT panel = SkinRect(0);
    EXPECT_EQ(client.right, panel.right - panel.left);
    EXPECT_EQ(client.bottom, panel.bottom - panel.top);

    // Keys of the panel's own controls are translated through the view; others are not.
    MSG tab{GetDlgItem(view, view::kAudioOn), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    MSG elsewhere{parent.Hwnd(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    ASSERT_TRUE(site.active());
    EXPECT_EQ(site.active()->TranslateAccelerator(&tab), S_OK);
    EXPECT_EQ(site.active()->TranslateAccelerator(&elsewhere), S_FALSE);

    // EXIT, clicked: the parent is told, the player view goes.
    parent.Raise();
    c.Click(view::kExit);
    EXPECT_TRUE(PumpUntil([&] { return parent.exits == 1; }, 3000));
    EXPECT_EQ(parent.closes, 0);
    EXPECT_FALSE(c.View());

    log.calls.clear();
  }
  EXPECT_EQ(log.calls, (Calls{"SetActiveObject(none)", "OnUIDeactivate", "OnInPlaceDeactivate"}));
  EXPECT_EQ(GetWindowLongPtrW(parent.Hwnd(), GWLP_WNDPROC), own_procedure) << "its own procedure is back";
  EXPECT_FALSE(PresenceEventExists()) << "the event lives as long as the control";
  EXPECT_EQ(site.refs(), 0);
}

TEST_F(RewynCtrl, InABrowserItTakesOverTheBrowserWindowAndExitClosesIt) {
  Container browser_window(0, 0, L"Recorder page");
  const LONG_PTR own_procedure = GetWindowLongPtrW(browser_window.Hwnd(), GWLP_WNDPROC);
  fake::CallLog log;
  fake::Browser browser(browser_window.Hwnd(), log);
  fake::Site site(browser_window.Hwnd(), {0, 0, 990, 720}, log, &browser);
  {
    Control c(site, browser_window.Hwnd(), {0, 0, 990, 720});
    ASSERT_TRUE(c.View());
    EXPECT_EQ(log.calls,
              (Calls{"CanInPlaceActivate", "OnInPlaceActivate", "GetWindow", "GetWindowContext", "GetContainer",
                     "QueryService", "Browser::get_HWND", "Browser::put_AddressBar(off)", "Browser::put_MenuBar(off)",
                     "Browser::put_ToolBar(off)", "OnUIActivate", "SetActiveObject(control)"}));
    wchar_t title[64] = L"?";
    GetWindowTextW(browser_window.Hwnd(), title, 64);
    EXPECT_STREQ(title, L"") << "the title is blanked";
    EXPECT_NE(GetWindowLongPtrW(browser_window.Hwnd(), GWLP_WNDPROC), own_procedure);

    browser_window.Raise();
    c.Click(view::kExit);
    EXPECT_TRUE(PumpUntil([&] { return browser_window.closes == 1; }, 3000)) << "EXIT closes the browser window";
    EXPECT_EQ(browser_window.exits, 0);
  }
  EXPECT_EQ(GetWindowLongPtrW(browser_window.Hwnd(), GWLP_WNDPROC), own_procedure);
  EXPECT_EQ(browser.refs(), 0) << "the browser is released";
}

TEST_F(RewynCtrl, TwoControlsUnderOneParentSubclassItOnceAndMovesReachTheNewestView) {
  Container parent(0, 0);
  const LONG_PTR own_procedure = GetWindowLongPtrW(parent.Hwnd(), GWLP_WNDPROC);
  fake::CallLog log;
  fake::Site site_a(parent.Hwnd(), {0, 0, 300, 250}, log), site_b(parent.Hwnd(), {300, 0, 600, 250}, log);
  Control a(site_a, parent.Hwnd(), {0, 0, 300, 250});
  {
    Control b(site_b, parent.Hwnd(), {300, 0, 600, 250});
    ASSERT_TRUE(a.View() && b.View());
    FollowCounter follow_a(a.View()), follow_b(b.View());
    SetWindowPos(parent.Hwnd(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(100);
    EXPECT_EQ(follow_b.moves, 1);
    EXPECT_EQ(follow_a.moves, 0) << "only the control created last follows";
  }
  EXPECT_NE(GetWindowLongPtrW(parent.Hwnd(), GWLP_WNDPROC), own_procedure) << "still hooked for the first";
  SetWindowPos(parent.Hwnd(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpFor(100);
  a.Close();
  EXPECT_EQ(GetWindowLongPtrW(parent.Hwnd(), GWLP_WNDPROC), own_procedure);
  SetWindowPos(parent.Hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpFor(100);
}

TEST_F(RewynCtrl, TwoControlsUnderTwoParentsEachPlayTheirOwnFile) {
  Container left(0, 0), right(10, 10);
  fake::CallLog log;
  const RECT rect{0, 0, 990, 720};
  fake::Site site_a(left.Hwnd(), rect, log), site_b(right.Hwnd(), rect, log);
  Control a(site_a, left.Hwnd(), rect), b(site_b, right.Hwnd(), rect);
  ASSERT_TRUE(a.View() && b.View());
  FollowCounter follow_a(a.View()), follow_b(b.View());
  SetWindowPos(right.Hwnd(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpFor(100);
  EXPECT_EQ(follow_b.moves, 1);
  EXPECT_EQ(follow_a.moves, 0);

  ASSERT_TRUE(a.Open(Fixture("cams4_25fps.am4")));
  ASSERT_TRUE(b.Open(Fixture("cams4_30fps_480.am4")));
  PumpFor(1500);  // both pause on their first picture
  left.Raise();
  EXPECT_TRUE(PumpUntil([&] { return a.Picture() == 0; }, 15000));
  right.Raise();
  EXPECT_TRUE(PumpUntil([&] { return b.Picture() == 0; }, 15000));
  b.Click(view::kPlay);
  EXPECT_TRUE(PumpUntil([&] { return b.Picture() >= 30; }, 10000)) << "the second plays";
  left.Raise();
  EXPECT_EQ(a.Picture(), 0) << "the first keeps its picture";
}

TEST_F(RewynCtrl, ObjectSafetyAnswersForEveryInterfaceTheControlHas) {
  win32::ComPtr<IObjectSafety> safety;
  ASSERT_EQ(CoCreateInstance(Control::Class(), nullptr, CLSCTX_INPROC_SERVER, IID_IObjectSafety, safety.PutVoid()),
            S_OK);
  struct Get {
    const IID* iid;
    HRESULT result;
  } const gets[] = {{&IID_IDispatch, S_OK}, {&IID_IPersistPropertyBag, S_OK}, {&IID_IDataObject, E_NOINTERFACE}};
  for (const Get& g : gets) {
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(*g.iid, &supported, &enabled), g.result);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 3u);
  }
  struct Set {
    const IID* iid;
    DWORD mask, enabled;
    bool ok;
  } const sets[] = {
      {&IID_IDispatch, 1, 1, true},  {&IID_IDispatch, 3, 3, true},   {&IID_IDispatch, 2, 3, true},
      {&IID_IDispatch, 0, 0, true},  {&IID_IDispatch, 3, 1, false},  {&IID_IDispatch, 4, 4, false},
      {&IID_IDispatch, 4, 7, false}, {&IID_IPersistPropertyBag, 1, 1, true},
  };
  for (const Set& s : sets)
    EXPECT_EQ(SUCCEEDED(safety->SetInterfaceSafetyOptions(*s.iid, s.mask, s.enabled)), s.ok)
        << "mask " << s.mask << " enabled " << s.enabled;
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDataObject, 1, 1), E_NOINTERFACE);

  // The nested interface shares the control's identity.
  win32::ComPtr<IUnknown> a, b;
  safety->QueryInterface(IID_IUnknown, a.PutVoid());
  ASSERT_EQ(CoCreateInstance(Control::Class(), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, b.PutVoid()), S_OK);
  win32::ComPtr<IObjectSafety> back;
  ASSERT_EQ(a->QueryInterface(IID_IObjectSafety, back.PutVoid()), S_OK);
  EXPECT_EQ(back.Get(), safety.Get());
}

TEST_F(RewynCtrl, OffersNoMembersOneEmptyPageAndItsFlags) {
  win32::ComPtr<IOleObject> object;
  ASSERT_EQ(CoCreateInstance(Control::Class(), nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object.PutVoid()), S_OK);
  DWORD status = 0;
  EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 0x20191u);

  win32::ComPtr<IDispatch> dispatch;
  ASSERT_EQ(object->QueryInterface(IID_IDispatch, dispatch.PutVoid()), S_OK);
  LPOLESTR name = const_cast<LPOLESTR>(L"Play");
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0x409, &id), DISP_E_UNKNOWNNAME);
  win32::ComPtr<ITypeInfo> info;
  ASSERT_EQ(dispatch->GetTypeInfo(0, 0x409, info.Put()), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
  EXPECT_EQ(attr->cFuncs, 0);
  EXPECT_EQ(attr->cVars, 0);
  info->ReleaseTypeAttr(attr);

  win32::ComPtr<IConnectionPointContainer> points;
  ASSERT_EQ(object->QueryInterface(IID_IConnectionPointContainer, points.PutVoid()), S_OK);
  win32::ComPtr<IConnectionPoint> point;
  EXPECT_EQ(points->FindConnectionPoint(IID_IDispatch, point.Put()), CONNECT_E_NOCONNECTION);

  win32::ComPtr<ISpecifyPropertyPages> specify;
  ASSERT_EQ(object->QueryInterface(IID_ISpecifyPropertyPages, specify.PutVoid()), S_OK);
  CAUUID pages{};
  ASSERT_EQ(specify->GetPages(&pages), S_OK);
  ASSERT_EQ(pages.cElems, 1u);
  win32::ComPtr<IPropertyPage> page;
  ASSERT_EQ(CoCreateInstance(pages.pElems[0], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, page.PutVoid()),
            S_OK);
  CoTaskMemFree(pages.pElems);
  PROPPAGEINFO page_info{};
  ASSERT_EQ(page->GetPageInfo(&page_info), S_OK);
  EXPECT_STREQ(page_info.pszTitle, L"일반");
  CoTaskMemFree(page_info.pszTitle);
  Container parent(0, 0);
  RECT r{0, 0, 300, 100};
  EXPECT_EQ(page->Activate(parent.Hwnd(), &r, FALSE), S_OK);
  EXPECT_TRUE(FindWindowExW(parent.Hwnd(), nullptr, L"#32770", nullptr)) << "the page's dialog";
  EXPECT_EQ(page->Deactivate(), S_OK);
}

}  // namespace

// A control in a container of its own, opened on the fixture.
struct ControlShowingAFile {
  static constexpr RECT kRect{0, 0, 990, 720};
  Container parent{0, 0};
  fake::CallLog log;
  fake::Site site{parent.Hwnd(), kRect, log};
  Control control{site, parent.Hwnd(), kRect};
  // True once its first picture is on screen.
  bool Open() {
    if (!control.Open(Fixture("cams4_25fps.am4"))) return false;
    parent.Raise();
    return PumpUntil([&] { return control.Picture() == 0; }, 15000);
  }
};

// Of WM_COPYDATA the control answers only "open this file": a request to
// run the benchmark neither plays nor writes anything.
TEST_F(RewynCtrl, AnswersNoOtherRequestThanOpeningAFile) {
  ControlShowingAFile shown;
  Control& c = shown.control;
  ASSERT_TRUE(shown.Open());

  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::wstring out = std::wstring(dir) + L"rewyn_bench.txt";
  DeleteFileW(out.c_str());
  COPYDATASTRUCT bench{rewyn::kRunBenchmarkData, DWORD((out.size() + 1) * sizeof(wchar_t)),
                       const_cast<wchar_t*>(out.c_str())};
  const DWORD sent = GetTickCount();
  EXPECT_EQ(SendMessageW(c.Window(), WM_COPYDATA, 0, LPARAM(&bench)), 0);
  EXPECT_LT(GetTickCount() - sent, 2000u) << "no playing inside the message";
  EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing written";
  EXPECT_EQ(c.Picture(), 0) << "the picture stays";
}

// A container that frees the unloaded control and goes on: its own
// exceptions afterwards meet no handler the control's modules left behind.
TEST_F(RewynCtrl, AContainerLivesOnAfterTheControlUnloads) {
  {
    ControlShowingAFile shown;
    Control& c = shown.control;
    ASSERT_TRUE(shown.Open());
    c.Click(view::kPlay);
    ASSERT_TRUE(PumpUntil([&] { return c.Picture() >= 10; }, 10000)) << "decoded through the guarded calls";
  }
  PumpFor(100);
  CoFreeUnusedLibrariesEx(0, 0);
  ASSERT_EQ(GetModuleHandleW(L"Rewyn.dll"), nullptr) << "the control's module really unloaded";
  ASSERT_EQ(GetModuleHandleW(L"framix.dll"), nullptr);

  int caught = 0;
  for (int i = 0; i < 3; ++i) {
    try {
      throw std::runtime_error("the container's own");
    } catch (const std::exception&) {
      ++caught;
    }
  }
  OutputDebugStringA("===>>> the container goes on\r\n");
  EXPECT_EQ(caught, 3);
}

