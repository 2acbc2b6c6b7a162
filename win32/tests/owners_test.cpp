// The owners that need more than a destructor to be right: a kernel handle
// that takes both failure values as empty, and the COM initialisation scope.
#include "win32/owners.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

bool IsOpenHandle(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != 0;
}

TEST(UniqueHandle, TakesBothFailureValuesAsEmpty) {
  const win32::UniqueHandle missing(CreateFileW(L"C:\\no such folder\\no such file", GENERIC_READ, 0, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.Get(), nullptr);

  win32::UniqueHandle handle(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(handle);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  handle.Reset(event);
  EXPECT_TRUE(handle);
  EXPECT_EQ(handle.Get(), event);
  handle.Reset(INVALID_HANDLE_VALUE);  // closes what it held
  EXPECT_FALSE(handle);
  EXPECT_FALSE(IsOpenHandle(event));

  win32::UniqueHandle moved(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const HANDLE held = moved.Get();
  handle = std::move(moved);
  EXPECT_FALSE(moved);
  EXPECT_EQ(handle.Get(), held);
  EXPECT_TRUE(IsOpenHandle(held));
}

// Each scope on a thread of its own: inside it, the other apartment is
// refused; after it, the thread may join the other apartment.
TEST(ComScope, EntersItsApartmentAndLeavesItWhenItGoes) {
  struct Case {
    win32::Apartment apartment;
    DWORD other;  // the apartment it is not
  } const cases[] = {
      {win32::Apartment::kOle, COINIT_MULTITHREADED},
      {win32::Apartment::kSingleThreaded, COINIT_MULTITHREADED},
      {win32::Apartment::kMultithreaded, COINIT_APARTMENTTHREADED},
  };
  for (const Case& c : cases) {
    HRESULT entered = E_FAIL, inside = E_FAIL, after = E_FAIL;
    std::thread([&] {
      {
        const win32::ComScope scope(c.apartment);
        entered = scope.Result();
        inside = CoInitializeEx(nullptr, c.other);
        if (SUCCEEDED(inside)) CoUninitialize();
      }
      after = CoInitializeEx(nullptr, c.other);
      if (SUCCEEDED(after)) CoUninitialize();
    }).join();
    EXPECT_EQ(entered, S_OK) << int(c.apartment);
    EXPECT_EQ(inside, RPC_E_CHANGED_MODE) << int(c.apartment);
    EXPECT_EQ(after, S_OK) << int(c.apartment);
  }
}

TEST(ComScope, ANestedScopeOfTheSameApartmentIsOkAndLeavesTheOuterOneInPlace) {
  std::thread([] {
    const win32::ComScope outer(win32::Apartment::kOle);
    {
      const win32::ComScope inner(win32::Apartment::kOle);
      EXPECT_EQ(inner.Result(), S_FALSE);
      EXPECT_TRUE(inner.Ok());
    }
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);  // still in its apartment
  }).join();
}

}  // namespace
