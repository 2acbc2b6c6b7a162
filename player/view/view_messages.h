// The player's private window messages.
#pragma once
#include <windows.h>

namespace view {

constexpr UINT UM_BUTTON_CLICK = WM_USER + 100;       // identifier; checked * 65536 + kind
constexpr UINT UM_BUTTON_REPEAT_END = WM_USER + 101;  // identifier; 0
constexpr UINT UM_BUTTON_DRAWN = WM_USER + 102;       // identifier; const RECT*
constexpr UINT UM_BUTTON_REFRESH = WM_USER + 103;     // identifier; 0
constexpr UINT UM_BUTTON_DOWN = WM_USER + 104;        // identifier; 0
constexpr UINT UM_FOLLOW_MOVE = WM_USER + 200;
constexpr UINT UM_PLAYER_EXIT = WM_USER + 201;
constexpr UINT UM_AVI_COMMAND = WM_USER + 300;
constexpr UINT UM_IMAGE_COMMAND = WM_USER + 400;
constexpr UINT UM_PANEL_CLOSED = WM_USER + 401;     // 0; the panel's window
// From the engine's threads to the window's own thread.
constexpr UINT UM_MODE_CHANGED = WM_USER + 500;     // old mode; new mode
constexpr UINT UM_AUDIO_CONTROLS = WM_USER + 501;   // enabled; 0
constexpr UINT UM_RECORDING_PAUSED = WM_USER + 502; // number of the recording running then; 0
constexpr UINT UM_FILE_PROBED = WM_USER + 503;      // number of the probe; 0

}  // namespace view
