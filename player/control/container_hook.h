// The container's window that a control follows: subclassed once however
// many controls sit under it, with the number of them kept on the window
// itself, and its own procedure back when the last one goes. On WM_MOVE the
// current control's player view is told to follow.
#pragma once
#include <windows.h>

namespace rewyn {

bool HookContainer(HWND window);
void UnhookContainer(HWND window);

// The view that moves of any hooked window are forwarded to: that of the
// control created last (null: none). Set and cleared on the UI thread.
void SetFollowingView(HWND view);
HWND FollowingView();

}  // namespace rewyn
