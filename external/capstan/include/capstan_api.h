// The capture library's calls (capstan.dll): AVI recordings, JPEG stills and
// printed pages of one camera's snapshot. Texts are ANSI.
#pragma once
#include <windows.h>

#include <cstdint>

#ifdef CAPSTAN_BUILD
#define CAPSTAN_API extern "C" __declspec(dllexport)
#else
#define CAPSTAN_API extern "C" __declspec(dllimport)
#endif

// Opens folder\file for a recording at `rate` pictures a second (1 to 30);
// an open one is closed first. Nonzero on success.
CAPSTAN_API int CreateNewBackupFile(const char* folder, const char* file, uint8_t rate, uint32_t reserved);
// Appends the bitmap (width x height, the first snapshot sets the video's
// size) as one Motion-JPEG frame. Returns the bytes of the file's RIFF so
// far, the index to be written at the close included; 0 when none is open.
CAPSTAN_API uint32_t CapScr2Avi(HDC dc, HBITMAP bitmap, int width, int height, const char* time_text, int one,
                                int camera);
// Ends the recording; nothing open is not an error. Nonzero when one was closed.
CAPSTAN_API int CapCloseAvi();
// Writes the rectangle of the bitmap to folder\file.jpg.
CAPSTAN_API void CapImageJpg(HDC dc, HBITMAP bitmap, RECT rect, int one, int camera, const char* file,
                             const char* folder);
// Whether the printed picture carries its camera and time (both 1) or not (0).
CAPSTAN_API int BPrintChTime(int camera_caption, int time_caption);
// Outline and text colours of the captions printed over the picture.
CAPSTAN_API int SetTextShadow(COLORREF shadow, COLORREF text);
// Prints one page on the default printer, without a dialog: the picture and
// a report of the recording's start and end, the picture's time, the title
// and the version.
CAPSTAN_API void ImagePrint(HWND owner, HDC dc, HBITMAP bitmap, int one, int camera, RECT rect,
                            const char* start_time, const char* end_time, const char* picture_time,
                            const char* title, const char* version);
