// What a container in the same desktop may ask of the control's window with
// WM_COPYDATA (the control has no methods): the data is a UTF-16 path with
// its terminating zero; the message returns 1 on success, 0 otherwise.
#pragma once
#include <windows.h>

namespace rewyn {

// Open the backup file at the path, as FILE OPEN would.
constexpr ULONG_PTR kOpenFileData = 0x52574F46;  // "RWOF"
// Play the open file to its end and write the display step's figures to the path.
constexpr ULONG_PTR kRunBenchmarkData = 0x5257424E;  // "RWBN"

}  // namespace rewyn
