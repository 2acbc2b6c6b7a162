// CMagicList: an owner-drawn report list. It keeps its own selection colours
// (shown without the focus too when the list has the always-show-selection
// style), draws each cell 6 pixels in from its edges and shortens what does
// not fit with "...", and replaces the header by CFlatHeaderCtrl. Sorting by
// a header click and grid lines are options, both off unless asked for.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <map>
#include <set>

#include "flat_header.h"
#include "list_rows.h"
#include "win32/gdi.h"

class CMagicList : public win32::SubclassedControl {
 public:
  enum Option : unsigned { kSortOnHeaderClick = 1, kGridLines = 2 };

  CMagicList() = default;

  // Takes over a report list view of a dialog (it must be LVS_OWNERDRAWFIXED).
  bool Attach(HWND dialog, int controlId);
  CFlatHeaderCtrl& Header() { return header_; }

  void SetOptions(unsigned options) { options_ = options; }
  void SetSelectionColours(COLORREF text, COLORREF focusedBackground, COLORREF unfocusedBackground);
  void SetNumericColumn(int column) { numericColumns_.insert(column); }
  // A column that shows the image of its cell's number; it cannot be resized.
  void SetColumnImages(int column, HIMAGELIST images);
  void SetContextMenu(HMENU menu) { menu_ = menu; }  // the caller keeps it
  void Sort(int column, bool ascending);
  // Has the rows measured again (font height + 10, at least the state images' height).
  void MeasureRows();

  // The parent's WM_MEASUREITEM and WM_DRAWITEM for the list; false when not ours.
  static bool MeasureItemMessage(HWND dialog, MEASUREITEMSTRUCT* item);
  static bool DrawItemMessage(const DRAWITEMSTRUCT* item);

  static constexpr int kCellInset = 6;

 private:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void DrawRow(const DRAWITEMSTRUCT& item) const;
  void RedrawSelection(bool focusChange);
  bool OnHeaderNotify(NMHDR* n, LRESULT* result);
  int RowHeight() const;

  CFlatHeaderCtrl header_;
  unsigned options_ = 0;
  COLORREF selectedText_ = GetSysColor(COLOR_HIGHLIGHTTEXT);
  COLORREF selectedFocused_ = GetSysColor(COLOR_HIGHLIGHT);
  COLORREF selectedUnfocused_ = GetSysColor(COLOR_HIGHLIGHT);
  COLORREF text_ = GetSysColor(COLOR_WINDOWTEXT);
  COLORREF textBackground_ = GetSysColor(COLOR_WINDOW);
  COLORREF background_ = GetSysColor(COLOR_WINDOW);
  win32::Pen gridPen_{CreatePen(PS_SOLID, 1, RGB(192, 192, 192))};
  SortState sort_;
  std::set<int> numericColumns_;
  std::map<int, HIMAGELIST> columnImages_;
  HMENU menu_ = nullptr;
};
