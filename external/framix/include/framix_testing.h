// A test hook of framix.dll: the next decode on a handle raises an access
// violation, either inside the system's decoder call, which the library
// guards itself, or in the library's own code while it holds its locks,
// which only its caller's guard can catch.
#pragma once
#include "framix_api.h"

enum FramixFaultSite { kFaultInSystemDecoder = 0, kFaultInLibraryCode = 1 };

FRAMIX_API int FRAMIX_FaultNextDecode(int handle, int where);
