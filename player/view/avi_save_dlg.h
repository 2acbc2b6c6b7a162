// The AVI save panel: camera, frame rate and size lists and the OPTION START
// and OPTION STOP buttons. It collects the choices and sends the player
// window its commands (UM_AVI_COMMAND); the recording itself is Export's.
// The lists are drop-down lists, so each always has a selection.
#pragma once
#include "skinned_dialog.h"

namespace view {

// UM_AVI_COMMAND's first parameter.
enum AviCommand : int { kStartRecording = 1, kStopRecording = 2, kShowCamera = 3 };

struct AviChoices {
  int camera = 0;  // 0-based
  int rate = 10;   // pictures a second
  int size_mb = 10;
};

class AVISaveDlg : public SkinnedDialog {
 public:
  AVISaveDlg() : SkinnedDialog(512) {}

  // Camera `camera`, rate 10, 10 MB.
  void PresetSelections(int camera);
  AviChoices ReadSelections() const;
  // After a recording ended: start and the lists usable again.
  void ReenableStart() { EnableStart(true); }

 private:
  win32::DialogTemplate Template() const override;
  void Build() override;
  void OnClick(int id) override;
  INT_PTR OnControl(UINT msg, WPARAM wp, LPARAM lp) override;
  void EnableStart(bool enabled);

  ImageButton* start_ = nullptr;
};

}  // namespace view
