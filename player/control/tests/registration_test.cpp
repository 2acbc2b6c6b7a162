// Rewyn.dll registered and unregistered with the system's regsvr32, and its
// type library as a reader sees it. Ends with the control registered.
#include <windows.h>
#include <ole2.h>
#include <comcat.h>
#include <objsafe.h>

#include <gtest/gtest.h>

#include <string>

#include "registry_read.h"
#include "rewyn_h.h"
#include "win32/owners.h"

namespace {

std::wstring Widen(const char* s) { return std::wstring(s, s + strlen(s)); }

// The DLL as Windows names it (the build folder is drive Z:).
std::wstring DllPath() {
  std::wstring p = L"Z:" + Widen(REWYN_DLL);
  for (wchar_t& c : p)
    if (c == L'/') c = L'\\';
  return p;
}

DWORD Regsvr32(const std::wstring& options) {
  std::wstring line = L"regsvr32 /s " + options + L" \"" + DllPath() + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return ~0u;
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = ~0u;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

using testsupport::KeyExists;
using testsupport::Value;

std::wstring Text(REFGUID id) {
  wchar_t text[40] = {};
  StringFromGUID2(id, text, 40);
  return text;
}

const std::wstring kControlKey = L"CLSID\\" + Text(CLSID_Rewyn);
const std::wstring kPageKey = L"CLSID\\{279B1419-6606-48C6-AC55-6339021ECC26}";

bool ImplementsSafeCategories() {
  win32::ComPtr<ICatInformation> info;
  if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatInformation,
                              info.PutVoid())))
    return false;
  CATID both[] = {CATID_SafeForScripting, CATID_SafeForInitializing};
  return info->IsClassOfCategories(CLSID_Rewyn, 2, both, 0, nullptr) == S_OK;
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ole_.Ok()); }
  win32::ComScope ole_{win32::Apartment::kOle};
};

TEST_F(Registration, Regsvr32UnregistersCleanlyAndRegistersEverything) {
  ASSERT_EQ(Regsvr32(L"/u"), 0u);
  // The type library's key is shared by both bitnesses: this build's part of it goes.
  const std::wstring own_typelib =
      L"TypeLib\\" + Text(LIBID_RewynLib) + L"\\1.0\\409\\" + (sizeof(void*) == 8 ? L"win64" : L"win32");
  for (const std::wstring& key : {std::wstring(L"REWYN.RewynCtrl.1"), std::wstring(L"REWYN.RewynPropPage.1"),
                                  kControlKey, kPageKey, own_typelib})
    EXPECT_FALSE(KeyExists(key)) << "left behind: " << std::string(key.begin(), key.end());
  EXPECT_FALSE(ImplementsSafeCategories());

  ASSERT_EQ(Regsvr32(L""), 0u);
  EXPECT_EQ(Value(L"REWYN.RewynCtrl.1\\CLSID"), Text(CLSID_Rewyn));
  EXPECT_EQ(Value(L"REWYN.RewynPropPage.1\\CLSID"), L"{279B1419-6606-48C6-AC55-6339021ECC26}");
  EXPECT_EQ(Value(kControlKey), L"Rewyn Control");
  EXPECT_EQ(Value(kPageKey), L"Rewyn Property Page");
  for (const std::wstring& key : {kControlKey, kPageKey}) {
    EXPECT_EQ(Value(key + L"\\InprocServer32"), DllPath());
    EXPECT_EQ(Value(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  }
  EXPECT_EQ(Value(kControlKey + L"\\ProgID"), L"REWYN.RewynCtrl.1");
  EXPECT_EQ(Value(kControlKey + L"\\MiscStatus\\1"), L"131473");  // 0x20191
  EXPECT_EQ(Value(kControlKey + L"\\ToolboxBitmap32"), DllPath() + L", 1");
  EXPECT_EQ(Value(kControlKey + L"\\Version"), L"1.0");
  EXPECT_EQ(Value(kControlKey + L"\\TypeLib"), Text(LIBID_RewynLib));
  EXPECT_TRUE(KeyExists(kControlKey + L"\\Control"));
  EXPECT_FALSE(KeyExists(kPageKey + L"\\Control"));
  // The type library is registered under this build's bitness.
  const std::wstring library =
      Value(L"TypeLib\\" + Text(LIBID_RewynLib) + L"\\1.0\\409\\" + (sizeof(void*) == 8 ? L"win64" : L"win32"));
  EXPECT_TRUE(library.ends_with(DllPath())) << "type library at " << std::string(library.begin(), library.end());
  EXPECT_EQ(Value(L"Component Categories\\" + Text(CATID_SafeForScripting), L"409"),
            L"Controls that are safely scriptable");
  EXPECT_EQ(Value(L"Component Categories\\" + Text(CATID_SafeForInitializing), L"409"),
            L"Controls safely initializable from persistent data");
  EXPECT_TRUE(ImplementsSafeCategories());

  win32::ComPtr<IUnknown> control;
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"REWYN.RewynCtrl.1", &clsid), S_OK);
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, control.PutVoid()), S_OK);
}

// The names of the registered type library, exact under any code page.
TEST_F(Registration, TypeLibraryNamesItsInterfacesAndClass) {
  win32::ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadRegTypeLib(LIBID_RewynLib, 1, 0, 0x409, library.Put()), S_OK);
  BSTR name = nullptr, help_file = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, &name, nullptr, nullptr, &help_file), S_OK);
  EXPECT_STREQ(name, L"RewynLib");
  EXPECT_STREQ(help_file, L"Rewyn.hlp");
  SysFreeString(name);
  SysFreeString(help_file);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->lcid, 0x409u);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  library->ReleaseTLibAttr(attr);

  struct Entry {
    const GUID* id;
    const wchar_t* name;
    TYPEKIND kind;
  } const entries[] = {{&DIID__DRewyn, L"_DRewyn", TKIND_DISPATCH},
                       {&DIID__DRewynEvents, L"_DRewynEvents", TKIND_DISPATCH},
                       {&CLSID_Rewyn, L"Rewyn", TKIND_COCLASS}};
  for (const Entry& e : entries) {
    win32::ComPtr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfoOfGuid(*e.id, info.Put()), S_OK);
    BSTR n = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &n, nullptr, nullptr, nullptr);
    EXPECT_STREQ(n, e.name);
    SysFreeString(n);
    TYPEATTR* type = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
    EXPECT_EQ(type->typekind, e.kind);
    info->ReleaseTypeAttr(type);
  }
  win32::ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_Rewyn, coclass.Put()), S_OK);
  BSTR doc = nullptr;
  coclass->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr);
  EXPECT_STREQ(doc, L"Rewyn Control");
  SysFreeString(doc);
}

// Run under a Korean locale (ANSI code page 949) by its own test: the Korean
// help strings come back exactly.
TEST_F(Registration, DISABLED_KoreanHelpStringsReadBackUnderTheKoreanCodePage) {
  ASSERT_EQ(GetACP(), 949u);
  win32::ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadRegTypeLib(LIBID_RewynLib, 1, 0, 0x409, library.Put()), S_OK);
  const auto doc = [&](const GUID* id) {
    win32::ComPtr<ITypeInfo> info;
    BSTR text = nullptr;
    if (!id) library->GetDocumentation(-1, nullptr, &text, nullptr, nullptr);
    else if (SUCCEEDED(library->GetTypeInfoOfGuid(*id, info.Put())))
      info->GetDocumentation(MEMBERID_NIL, nullptr, &text, nullptr, nullptr);
    std::wstring out = text ? text : L"<none>";
    SysFreeString(text);
    return out;
  };
  EXPECT_EQ(doc(nullptr), L"Rewyn ActiveX 컨트롤 모듈");
  EXPECT_EQ(doc(&DIID__DRewyn), L"Rewyn Control의 디스패치 인터페이스");
  EXPECT_EQ(doc(&DIID__DRewynEvents), L"Rewyn Control의 이벤트 인터페이스");
  EXPECT_EQ(doc(&CLSID_Rewyn), L"Rewyn Control");
}

}  // namespace
