// The video decoder library's calls (framix.dll).
#pragma once
#include <windows.h>

#include "codec_params.h"

#ifdef FRAMIX_BUILD
#define FRAMIX_API extern "C" __declspec(dllexport)
#else
#define FRAMIX_API extern "C" __declspec(dllimport)
#endif

// Format codes 13 and 15: synchronous mode (0, 1, window, 0, 0); any other:
// call-back mode (2, 8, window, 0, 1). Returns a handle, -1 for none.
FRAMIX_API int CODECAPI_DecodeInit(int mode, int threads, HWND window, int reserved, int callback_mode);
FRAMIX_API int CODECAPI_SetCallBack(int handle, void* user, engine::DecodeCallback callback, int reserved);
// Result > 0 success; sets width and height; in synchronous mode writes the
// picture into params->output.
FRAMIX_API int CODECAPI_DecodeFrameVideo(int handle, int reserved, engine::DecodeFrameParams* params);
FRAMIX_API int CODECAPI_DecodeMemClear(int handle, int reserved);
FRAMIX_API int CODECAPI_DecodeUninit(int handle);
