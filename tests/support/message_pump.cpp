#include "message_pump.h"

namespace testsupport {
namespace {

constexpr DWORD kRoundMs = 5;  // sleep between rounds of messages

void DispatchWaiting(const std::function<bool(MSG&)>& take) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (take && take(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

void PumpFor(int ms, HWND dialog) {
  PumpUntil([] { return false; }, ms, dialog);
}

bool PumpUntil(const std::function<bool()>& done, int timeout_ms, HWND dialog) {
  if (!dialog) return PumpUntil(done, timeout_ms, std::function<bool(MSG&)>());
  return PumpUntil(done, timeout_ms, [dialog](MSG& msg) { return IsDialogMessageW(dialog, &msg) != 0; });
}

bool PumpUntil(const std::function<bool()>& done, int timeout_ms, const std::function<bool(MSG&)>& take) {
  for (const DWORD start = GetTickCount();; Sleep(kRoundMs)) {
    DispatchWaiting(take);
    if (done()) return true;
    if (GetTickCount() - start >= DWORD(timeout_ms)) return false;
  }
}

}  // namespace testsupport
