// The image edit panel: twelve skinned buttons, eight of which send an
// operation (UM_IMAGE_COMMAND) to the player window; it never touches pixels.
#pragma once
#include "skinned_dialog.h"

namespace view {

// The operations, as UM_IMAGE_COMMAND's first parameter.
enum ImageOperation : int {
  kBrighter = 1, kDarker, kSharpen, kBlur, kMoreContrast, kLessContrast, kSaveJpeg, kPrint,
};

class ImageEditDlg : public SkinnedDialog {
 public:
  ImageEditDlg() : SkinnedDialog(256) {}

 private:
  win32::DialogTemplate Template() const override;
  void Build() override;
  void OnClick(int id) override;
};

}  // namespace view
