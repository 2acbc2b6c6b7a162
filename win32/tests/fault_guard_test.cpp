#include "win32/fault_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

namespace win32 {
namespace {

int Writes42(void* arg) {
  *static_cast<int*>(arg) = 42;
  return 7;
}

int WritesThroughNull(void* arg) {
  volatile int* nowhere = static_cast<int*>(arg);
  *nowhere = 1;
  return 7;
}

int DividesByZero(void* arg) {
  volatile int zero = *static_cast<int*>(arg);
  return 100 / zero;
}

int ThrowsAndCatches(void*) {
  try {
    throw std::runtime_error("inside");
  } catch (const std::exception&) {
    OutputDebugStringA("===>>> caught inside the guarded call\r\n");
    return 3;
  }
}

int FaultsInANestedGuard(void* arg) {
  const int inner = CallGuarded(WritesThroughNull, nullptr, -9);
  *static_cast<int*>(arg) = inner;
  return WritesThroughNull(nullptr);  // now the outer guard's
}

TEST(FaultGuard, ANestedGuardTakesItsOwnFaultAndTheOuterOneStaysArmed) {
  int inner = 0;
  EXPECT_EQ(CallGuarded(FaultsInANestedGuard, &inner, -1), -1);
  EXPECT_EQ(inner, -9);
}

TEST(FaultGuard, PassesResultsAndTurnsFaultsIntoTheFailureValue) {
  int value = 0;
  EXPECT_EQ(CallGuarded(Writes42, &value, -1), 7);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(CallGuarded(WritesThroughNull, nullptr, -1), -1);
  int zero = 0;
  EXPECT_EQ(CallGuarded(DividesByZero, &zero, -2), -2);
  EXPECT_EQ(CallGuarded(ThrowsAndCatches, nullptr, -1), 3) << "C++ exceptions and debug output pass through";
  // The guard is ready again after a fault.
  EXPECT_EQ(CallGuarded(WritesThroughNull, nullptr, -5), -5);
  EXPECT_EQ(CallGuarded(Writes42, &value, -1), 7);
}

}  // namespace
}  // namespace win32
