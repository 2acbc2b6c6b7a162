// What a container in the same desktop may ask of the control's window with
// WM_COPYDATA (the control has no methods): the data is a UTF-16 path with
// its terminating zero; the message returns 1 when the request was taken, 0
// otherwise.
#pragma once
#include <windows.h>

namespace rewyn {

// Open the backup file at the path, as FILE OPEN would: it is classified and
// probed off the window's thread, and anything but a backup file changes nothing.
constexpr ULONG_PTR kOpenFileData = 0x52574F46;  // "RWOF"
// Play the open file to its end and write the display step's figures to the
// path: answered only by the benchmark build (RewynBench.dll).
constexpr ULONG_PTR kRunBenchmarkData = 0x5257424E;  // "RWBN"

}  // namespace rewyn
