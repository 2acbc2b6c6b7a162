#include "container_hook.h"

#include <commctrl.h>

#include "player_messages.h"

namespace rewyn {

namespace {

constexpr UINT_PTR kHookId = 1;
constexpr wchar_t kCountProperty[] = L"RewynControls";  // controls under the window
HWND g_following_view = nullptr;

LRESULT CALLBACK ContainerWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_MOVE && g_following_view) SendMessageW(g_following_view, view::UM_FOLLOW_MOVE, 0, 0);
  return DefSubclassProc(hwnd, msg, wp, lp);
}

UINT_PTR Controls(HWND window) { return reinterpret_cast<UINT_PTR>(GetPropW(window, kCountProperty)); }

}  // namespace

bool HookContainer(HWND window) {
  if (!window) return false;
  const UINT_PTR controls = Controls(window);
  if (controls == 0 && !SetWindowSubclass(window, ContainerWndProc, kHookId, 0)) return false;
  SetPropW(window, kCountProperty, reinterpret_cast<HANDLE>(controls + 1));
  return true;
}

void UnhookContainer(HWND window) {
  const UINT_PTR controls = window ? Controls(window) : 0;
  if (controls > 1) {
    SetPropW(window, kCountProperty, reinterpret_cast<HANDLE>(controls - 1));
  } else if (controls == 1) {
    RemovePropW(window, kCountProperty);
    RemoveWindowSubclass(window, ContainerWndProc, kHookId);
  }
}

void SetFollowingView(HWND view) { g_following_view = view; }
HWND FollowingView() { return g_following_view; }

}  // namespace rewyn
