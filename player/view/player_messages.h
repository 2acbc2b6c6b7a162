// The player's private window messages (the control, its view and panels),
// numbered from one base.
#pragma once
#include <windows.h>

namespace view {

constexpr UINT kPlayerMessageBase = WM_USER + 100;

constexpr UINT UM_BUTTON_CLICK = kPlayerMessageBase + 0;       // identifier; checked * 65536 + kind
constexpr UINT UM_BUTTON_REPEAT_END = kPlayerMessageBase + 1;  // identifier; 0
constexpr UINT UM_BUTTON_DRAWN = kPlayerMessageBase + 2;       // identifier; const RECT*
constexpr UINT UM_BUTTON_REFRESH = kPlayerMessageBase + 3;     // identifier; 0
constexpr UINT UM_BUTTON_DOWN = kPlayerMessageBase + 4;        // identifier; 0
constexpr UINT UM_FOLLOW_MOVE = kPlayerMessageBase + 5;
constexpr UINT UM_PLAYER_EXIT = kPlayerMessageBase + 6;
constexpr UINT UM_AVI_COMMAND = kPlayerMessageBase + 7;
constexpr UINT UM_IMAGE_COMMAND = kPlayerMessageBase + 8;
constexpr UINT UM_PANEL_CLOSED = kPlayerMessageBase + 9;       // 0; the panel's window
// From the engine's threads to the window's own thread.
constexpr UINT UM_MODE_CHANGED = kPlayerMessageBase + 10;      // old mode; new mode
constexpr UINT UM_AUDIO_CONTROLS = kPlayerMessageBase + 11;    // enabled; 0
constexpr UINT UM_RECORDING_PAUSED = kPlayerMessageBase + 12;  // number of the recording running then; 0
constexpr UINT UM_FILE_PROBED = kPlayerMessageBase + 13;       // number of the probe; 0
// From the search's thread; from the video area.
constexpr UINT UM_SEARCH_PROGRESS = kPlayerMessageBase + 14;   // number of the search; share done, 0-1000
constexpr UINT UM_SEARCH_FOUND = kPlayerMessageBase + 15;      // number of the search; 0
constexpr UINT UM_REGION_DRAWN = kPlayerMessageBase + 16;      // 0; 0: the video area's region is new

}  // namespace view
