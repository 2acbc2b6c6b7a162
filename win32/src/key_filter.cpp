#include "win32/key_filter.h"

namespace win32 {
namespace {

// The filtered windows carry this property; the hook of their thread looks
// for it on the message's window and its ancestors.
constexpr wchar_t kMark[] = L"win32.DiscardedKeys";

struct ThreadHook {
  HHOOK hook = nullptr;
  int users = 0;
};
thread_local ThreadHook t_hook;

LRESULT CALLBACK GetMessageHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    MSG* msg = reinterpret_cast<MSG*>(lp);
    if (DiscardedKeys::IsDiscarded(*msg)) msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

DiscardedKeys::DiscardedKeys(HWND window) : window_(window) {
  SetPropW(window_, kMark, reinterpret_cast<HANDLE>(1));
  if (t_hook.users++ == 0) t_hook.hook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
}

DiscardedKeys::~DiscardedKeys() {
  if (IsWindow(window_)) RemovePropW(window_, kMark);
  if (--t_hook.users == 0 && t_hook.hook) {
    UnhookWindowsHookEx(t_hook.hook);
    t_hook.hook = nullptr;
  }
}

bool DiscardedKeys::IsDiscarded(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE && msg.wParam != VK_SPACE))
    return false;
  for (HWND w = msg.hwnd; w; w = GetAncestor(w, GA_PARENT))
    if (GetPropW(w, kMark)) return true;
  return false;
}

}  // namespace win32
