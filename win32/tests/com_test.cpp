// The COM kit: QueryInterface from a table, reference counting with the
// module lock, the class factory and the class table's exports, and what
// registration writes to and removes from the registry.
#include <gtest/gtest.h>

#include <string>

#include "registry_read.h"
#include "win32/com_module.h"
#include "win32/com_object.h"
#include "win32/owners.h"

namespace {

int g_alive = 0;  // Sample objects not yet deleted

class Sample final : public win32::ComObject<Sample, IPersist, IOleWindow> {
 public:
  Sample() { ++g_alive; }

  static std::span<const Entry> Interfaces() {
    static constexpr Entry kTable[] = {Reach<IPersist>(IID_IPersist), Reach<IOleWindow>(IID_IOleWindow)};
    return kTable;
  }
  static HRESULT Create(const win32::ComClass&, REFIID iid, void** out) {
    return win32::CreateAndQuery(new (std::nothrow) Sample, iid, out);
  }

  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override {
    *out = IID_NULL;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    *out = nullptr;
    return E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

 private:
  ~Sample() override { --g_alive; }
};

// {6F1B9D40-3C2E-4D57-9A1B-2C3D4E5F6071}, {...72}: made for this test only.
constexpr CLSID kSampleClass = {0x6f1b9d40, 0x3c2e, 0x4d57, {0x9a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f, 0x60, 0x71}};
constexpr CLSID kSampleControl = {0x6f1b9d40, 0x3c2e, 0x4d57, {0x9a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f, 0x60, 0x72}};
constexpr win32::ControlRegistration kControl{0x20191, 3, false};
const win32::ComClass kClasses[] = {
    {&kSampleClass, L"Win32ComTest.Sample.1", L"Sample object", L"Apartment", Sample::Create},
    {&kSampleControl, L"Win32ComTest.Control.1", L"Sample control", L"Both", Sample::Create, &kControl},
};
const win32::ComModule kModule{kClasses};

TEST(GuidText, IsBracedUpperCaseHexWithDashes) {
  EXPECT_EQ(win32::GuidText(kSampleClass), L"{6F1B9D40-3C2E-4D57-9A1B-2C3D4E5F6071}");
  EXPECT_EQ(win32::GuidText(IID_IUnknown), L"{00000000-0000-0000-C000-000000000046}");
}

TEST(ComObject, AnswersFromItsTableAndIUnknownWithTheFirstInterface) {
  Sample* sample = new Sample;
  IPersist* persist = sample;
  IOleWindow* window = sample;
  ASSERT_NE(static_cast<void*>(persist), static_cast<void*>(window));
  struct Case {
    const IID* iid;
    HRESULT hr;
    void* expected;
  } const cases[] = {
      {&IID_IPersist, S_OK, persist},
      {&IID_IOleWindow, S_OK, window},
      {&IID_IUnknown, S_OK, persist},
      {&IID_IDispatch, E_NOINTERFACE, nullptr},
      {&IID_IPersistStream, E_NOINTERFACE, nullptr},
  };
  for (IUnknown* from : {static_cast<IUnknown*>(persist), static_cast<IUnknown*>(window)}) {
    for (const Case& c : cases) {
      void* out = &out;  // anything but null
      EXPECT_EQ(from->QueryInterface(*c.iid, &out), c.hr) << win32::GuidText(*c.iid);
      EXPECT_EQ(out, c.expected);
      if (out) static_cast<IUnknown*>(out)->Release();
    }
    EXPECT_EQ(from->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  }
  EXPECT_EQ(persist->Release(), 0u);
}

TEST(ComObject, CountsReferencesHoldsTheModuleAndGoesWithTheLastRelease) {
  ASSERT_FALSE(win32::ModuleLocked());
  ASSERT_EQ(g_alive, 0);
  IOleWindow* window = nullptr;
  ASSERT_EQ(Sample::Create(kClasses[0], IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
  EXPECT_EQ(g_alive, 1);
  EXPECT_TRUE(win32::ModuleLocked());
  EXPECT_EQ(window->AddRef(), 2u);
  EXPECT_EQ(window->Release(), 1u);
  EXPECT_EQ(window->Release(), 0u);
  EXPECT_EQ(g_alive, 0);
  EXPECT_FALSE(win32::ModuleLocked());

  // An interface it does not have: nothing handed out, nothing left alive.
  void* out = &out;
  EXPECT_EQ(Sample::Create(kClasses[0], IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(g_alive, 0);
  EXPECT_FALSE(win32::ModuleLocked());
}

TEST(ComModule, HandsOutFactoriesOfItsClassesOnly) {
  void* out = &out;
  EXPECT_EQ(kModule.GetClassObject(IID_IPersist, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(kModule.GetClassObject(kSampleClass, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(kModule.GetClassObject(kSampleClass, IID_IPersist, &out), E_NOINTERFACE);
  EXPECT_EQ(kModule.CanUnloadNow(), S_OK);

  win32::ComPtr<IClassFactory> factory;
  ASSERT_EQ(kModule.GetClassObject(kSampleControl, IID_IClassFactory, factory.PutVoid()), S_OK);
  EXPECT_EQ(kModule.CanUnloadNow(), S_FALSE);  // the factory holds the module

  win32::ComPtr<IUnknown> outer;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, outer.PutVoid()), S_OK);
  win32::ComPtr<IPersist> aggregated;
  EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, aggregated.PutVoid()), CLASS_E_NOAGGREGATION);
  EXPECT_FALSE(aggregated);
  win32::ComPtr<IOleWindow> made;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOleWindow, made.PutVoid()), S_OK);
  EXPECT_EQ(g_alive, 2);
  outer.Reset();
  made.Reset();
  EXPECT_EQ(g_alive, 0);

  // LockServer keeps the module after the factory has gone, until it is undone.
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  EXPECT_EQ(kModule.CanUnloadNow(), S_FALSE);
  ASSERT_EQ(kModule.GetClassObject(kSampleClass, IID_IClassFactory, factory.PutVoid()), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory.Reset();
  EXPECT_EQ(kModule.CanUnloadNow(), S_OK);
}

using testsupport::KeyExists;
using testsupport::Value;

std::wstring ThisProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

TEST(ComModule, RegistersEachClassAndTakesItAllAwayAgain) {
  const win32::ComScope ole(win32::Apartment::kOle);
  ASSERT_TRUE(ole.Ok());
  const std::wstring object = L"CLSID\\" + win32::GuidText(kSampleClass);
  const std::wstring control = L"CLSID\\" + win32::GuidText(kSampleControl);
  ASSERT_EQ(kModule.Register(), S_OK);

  struct Expected {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
  } const expected[] = {
      {object, nullptr, L"Sample object"},
      {object + L"\\InprocServer32", nullptr, ThisProgram()},
      {object + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {object + L"\\ProgID", nullptr, L"Win32ComTest.Sample.1"},
      {L"Win32ComTest.Sample.1", nullptr, L"Sample object"},
      {L"Win32ComTest.Sample.1\\CLSID", nullptr, win32::GuidText(kSampleClass)},
      {control, nullptr, L"Sample control"},
      {control + L"\\InprocServer32", nullptr, ThisProgram()},
      {control + L"\\InprocServer32", L"ThreadingModel", L"Both"},
      {control + L"\\ProgID", nullptr, L"Win32ComTest.Control.1"},
      {control + L"\\Control", nullptr, L""},
      {control + L"\\ToolboxBitmap32", nullptr, ThisProgram() + L", 3"},
      {control + L"\\MiscStatus", nullptr, L"0"},
      {control + L"\\MiscStatus\\1", nullptr, L"131473"},
      {L"Win32ComTest.Control.1", nullptr, L"Sample control"},
      {L"Win32ComTest.Control.1\\CLSID", nullptr, win32::GuidText(kSampleControl)},
  };
  for (const Expected& e : expected)
    EXPECT_EQ(Value(e.key, e.name), e.value) << std::string(e.key.begin(), e.key.end());
  // No control flags for a plain class, and no type library without one.
  for (const wchar_t* part : {L"\\Control", L"\\MiscStatus", L"\\ToolboxBitmap32"})
    EXPECT_FALSE(KeyExists(object + part));
  for (const wchar_t* part : {L"\\TypeLib", L"\\Version"}) EXPECT_FALSE(KeyExists(control + part));

  ASSERT_EQ(kModule.Unregister(), S_OK);
  for (const std::wstring& key :
       {object, control, std::wstring(L"Win32ComTest.Sample.1"), std::wstring(L"Win32ComTest.Control.1")})
    EXPECT_FALSE(KeyExists(key)) << "left behind: " << std::string(key.begin(), key.end());
  EXPECT_EQ(kModule.Unregister(), S_OK);  // nothing there is no failure
}

}  // namespace
