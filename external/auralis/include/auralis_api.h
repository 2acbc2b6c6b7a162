// The audio decoder library's calls (auralis.dll): the recorder's audio to
// 16-bit mono PCM at 32,000 samples per second.
#pragma once

#ifdef AURALIS_BUILD
#define AURALIS_API extern "C" __declspec(dllexport)
#else
#define AURALIS_API extern "C" __declspec(dllimport)
#endif

AURALIS_API int CODECAPI_AudioDecodeInit(int kind);
// output_length: room at output on entry, bytes written on return.
AURALIS_API int CODECAPI_AudioDecodeProcess(int handle, int kind, const unsigned char* input, int input_length,
                                            unsigned char* output, int* output_length, int* spare);
AURALIS_API int CODECAPI_AudioDecodeDeInit(int handle, int kind);
