// The skinned buttons of one panel, in drawing order, found by identifier.
// Buttons take the pointer and are drawn with the panel; lamps only show a
// state and are drawn when it changes. User-interface thread; the drawing
// goes into the panel context the caller holds.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "image_button.h"

namespace view {

class PanelButtons {
 public:
  enum Role { kButton, kLamp };

  ImageButton* Add(int id, const wchar_t* label, HWND owner, ImageButton::Kind kind, bool enabled,
                   Role role = kButton);
  ImageButton* Find(int id) const;
  void Clear() { entries_.clear(); }

  // The pointer's events to every button in order; true when a look changed.
  bool Press(HDC panel, bool held, int x, int y);
  bool Release(HDC panel, bool held, int x, int y);
  bool Move(HDC panel, bool left_down, int x, int y);
  // The visible buttons, lamps left out.
  void Draw(HDC panel) const;

  template <class Visit>
  void ForEach(Visit visit) const {
    for (const Entry& e : entries_) visit(*e.button);
  }

 private:
  struct Entry {
    std::unique_ptr<ImageButton> button;
    Role role;
  };
  template <class Event>
  bool ToButtons(Event event);

  std::vector<Entry> entries_;
};

}  // namespace view
