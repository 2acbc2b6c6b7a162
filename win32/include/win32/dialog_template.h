// An in-memory dialog template for Dialog::CreateIndirect: the dialog's
// style, size and font, then its controls, each DWORD aligned as the system
// reads them. Sizes are dialog units.
#pragma once
#include <windows.h>

#include <string_view>
#include <vector>

namespace win32 {

class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short width, short height, std::wstring_view font, WORD font_points) {
    Align();
    DLGTEMPLATE t{};
    t.style = style | DS_SETFONT;
    t.cx = width;
    t.cy = height;
    count_at_ = words_.size() + offsetof(DLGTEMPLATE, cdit) / sizeof(WORD);
    Append(&t, sizeof(t));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the dialog class
    words_.push_back(0);  // no title
    words_.push_back(font_points);
    AppendText(font);
  }

  // A control of a predefined class (0x0085 combo box, 0x0080 button, ...).
  void AddControl(WORD class_atom, WORD id, DWORD style, short x, short y, short width, short height) {
    Align();
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = width;
    item.cy = height;
    item.id = id;
    Append(&item, sizeof(item));
    words_.push_back(0xFFFF);
    words_.push_back(class_atom);
    words_.push_back(0);  // no title
    words_.push_back(0);  // no creation data
    ++words_[count_at_];
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Align() {
    if (words_.size() % 2) words_.push_back(0);
  }
  void Append(const void* data, size_t bytes) {
    const WORD* w = static_cast<const WORD*>(data);
    words_.insert(words_.end(), w, w + bytes / sizeof(WORD));
  }
  void AppendText(std::wstring_view text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;  // vector storage is aligned for DWORDs
  size_t count_at_ = 0;      // the word holding the control count
};

}  // namespace win32
