#include "message_pump.h"

namespace testsupport {
namespace {

constexpr DWORD kRoundMs = 5;  // sleep between rounds of messages

void DispatchWaiting(HWND dialog) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (dialog && IsDialogMessageW(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

void PumpFor(int ms, HWND dialog) {
  PumpUntil([] { return false; }, ms, dialog);
}

bool PumpUntil(const std::function<bool()>& done, int timeout_ms, HWND dialog) {
  for (const DWORD start = GetTickCount();; Sleep(kRoundMs)) {
    DispatchWaiting(dialog);
    if (done()) return true;
    if (GetTickCount() - start >= DWORD(timeout_ms)) return false;
  }
}

}  // namespace testsupport
