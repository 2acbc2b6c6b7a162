#include "image_edit_dlg.h"

#include "player_messages.h"

namespace view {

namespace {

struct EditButton {
  int id;
  const wchar_t* label;
  int operation;  // 0: none
};

// In chain order.
constexpr EditButton kEditButtons[] = {
    {266, L"EDIT UNDO", 0},          {265, L"EDIT REDO", 0},
    {258, L"EDIT BIGHTNESS", kBrighter}, {259, L"EDIT DARK", kDarker},
    {264, L"EDIT SHARPNESS", kSharpen}, {257, L"EDIT BLUR", kBlur},
    {262, L"EDIT LEFT", 0},          {263, L"EDIT RIGHT", 0},
    {260, L"EDIT CONTRAST UP", kMoreContrast}, {261, L"EDIT CONTRAST DOWN", kLessContrast},
    {267, L"EDIT SAVE", kSaveJpeg},  {268, L"EDIT PRINT", kPrint},
};

}  // namespace

win32::DialogTemplate ImageEditDlg::Template() const {
  return win32::DialogTemplate(WS_POPUP | WS_SYSMENU, 186, 95, L"Tahoma", 9);
}

void ImageEditDlg::Build() {
  for (const EditButton& b : kEditButtons) AddButton(b.id, b.label);
}

void ImageEditDlg::OnClick(int id) {
  for (const EditButton& b : kEditButtons)
    if (b.id == id && b.operation && Player()) PostMessageW(Player(), UM_IMAGE_COMMAND, WPARAM(b.operation), 0);
}

}  // namespace view
