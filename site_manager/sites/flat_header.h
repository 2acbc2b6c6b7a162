// CFlatHeaderCtrl: the list's header drawn flat (one background colour,
// shadow and highlight line pairs between items), double-buffered; with the
// drag-and-drop style a column is dragged in a CFHDragWnd to a place marked
// by two red triangles. It subclasses the header of a list view.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "win32/window.h"

// Per-column settings beyond the header's own.
struct _HD_ITEMEX {
  bool locked = false;  // no resizing, no divider double-click
};

class CFlatHeaderCtrl;

// The small window that shows the dragged item under the pointer.
class CFHDragWnd : public win32::Window {
 public:
  bool Create(CFlatHeaderCtrl* header, int item, POINT screenCentre);
  void MoveTo(POINT screenCentre);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  CFlatHeaderCtrl* header_ = nullptr;
  int item_ = -1;
  SIZE size_{};
};

class CFlatHeaderCtrl : public win32::SubclassedControl {
 public:
  CFlatHeaderCtrl() = default;

  bool Attach(HWND header);
  void SetLocked(int column, bool locked);
  bool Locked(int column) const;
  // Arrow of the sorted column; none when column < 0.
  void SetSortMark(int column, bool ascending);
  void SetSortBitmaps(HBITMAP ascending, HBITMAP descending);  // the caller keeps them

  // Draws one item (background, text, sort bitmap) into rect of dc.
  void DrawItem(HDC dc, int item, const RECT& rect) const;

  static constexpr COLORREF kBackground = RGB(214, 223, 247);
  static constexpr COLORREF kDropMarker = RGB(255, 0, 0);
  static constexpr int kTextInset = 6;

 private:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Paint(HDC dc) const;
  int ItemAt(POINT client) const;
  // Drop divider (order index 0..count) for a pointer at x; -1 for no move.
  int DropPosition(int x) const;
  bool OnButtonDown(POINT p);
  void OnDragMove(POINT p);
  void OnButtonUp(POINT p);
  void EndDrag();

  std::vector<_HD_ITEMEX> extra_;  // grown 20 at a time
  bool doubleBuffer_ = true;
  int sortColumn_ = -1;
  bool sortAscending_ = true;
  HBITMAP sortUp_ = nullptr, sortDown_ = nullptr;

  // Drag state.
  int pressedItem_ = -1;
  POINT pressedAt_{};
  bool dragging_ = false;
  int dropPosition_ = -1;
  CFHDragWnd dragWindow_;
};
