// The Windows tests' message loop: runs the calling thread's messages while a
// test waits, so that its windows paint, post and answer as they would under
// the program's own loop.
#pragma once
#include <windows.h>

#include <functional>

namespace testsupport {

// Dispatches the thread's messages for `ms` milliseconds. With `dialog`, the
// messages go through IsDialogMessage first, as a modal dialog's loop does.
void PumpFor(int ms, HWND dialog = nullptr);

// Dispatches until `done` holds (asked after every round of messages), for at
// most `timeout_ms` milliseconds; whether it held.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms, HWND dialog = nullptr);

// The same, with each message offered to `take` first, as a program's loop
// offers it to a control's TranslateKey: a message it takes is not dispatched.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms, const std::function<bool(MSG&)>& take);

}  // namespace testsupport
