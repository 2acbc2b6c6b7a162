#include "panel_buttons.h"

namespace view {

ImageButton* PanelButtons::Add(int id, const wchar_t* label, HWND owner, ImageButton::Kind kind, bool enabled,
                               Role role) {
  entries_.push_back({std::make_unique<ImageButton>(id, label, owner, kind, enabled), role});
  return entries_.back().button.get();
}

ImageButton* PanelButtons::Find(int id) const {
  for (const Entry& e : entries_)
    if (e.button->Id() == id) return e.button.get();
  return nullptr;
}

template <class Event>
bool PanelButtons::ToButtons(Event event) {
  bool changed = false;
  for (const Entry& e : entries_)
    if (e.role == kButton) changed |= event(*e.button);
  return changed;
}

bool PanelButtons::Press(HDC panel, bool held, int x, int y) {
  return ToButtons([&](ImageButton& b) { return b.OnPress(panel, held, x, y); });
}

bool PanelButtons::Release(HDC panel, bool held, int x, int y) {
  return ToButtons([&](ImageButton& b) { return b.OnRelease(panel, held, x, y); });
}

bool PanelButtons::Move(HDC panel, bool left_down, int x, int y) {
  return ToButtons([&](ImageButton& b) { return b.OnMove(panel, left_down, x, y); });
}

void PanelButtons::Draw(HDC panel) const {
  for (const Entry& e : entries_)
    if (e.role == kButton && e.button->State().visible) e.button->Draw(panel);
}

}  // namespace view
