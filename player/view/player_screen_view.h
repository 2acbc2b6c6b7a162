// The player's one window: it coordinates the panel's parts (buttons,
// slider, clock and texts), the video area and the playback engine behind
// them. It turns button clicks into play modes, divisions and file opens,
// and shows what the engine reports; which buttons are enabled follows from
// the panel's state (enabled_buttons.h). In single view a region drawn over
// the video area is searched for motion (region_search.h); the intervals
// found are marked on the slider, and N and P show their first pictures.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "avi_save_dlg.h"
#include "display_manager.h"
#include "display_time_date.h"
#include "enabled_buttons.h"
#include "engine_view.h"
#include "export.h"
#include "file_probe.h"
#include "image_edit_dlg.h"
#include "panel.h"
#include "panel_buttons.h"
#include "panel_slider.h"
#include "panel_texts.h"
#include "playback_engine.h"
#include "region_search.h"
#include "sound_output.h"
#include "win32/gdi.h"
#include "win32/window.h"

namespace view {

// Time each picture took to be shown (cut, composed, copied to the window)
// during a timed play, for the benchmark.
struct DisplayTimings {
  std::vector<float> ms;
  std::vector<uint32_t> timestamps;  // of the pictures, 90 kHz
  uint32_t frame_rate = 0;
};

class PlayerScreenView : public win32::Window, private engine::EngineView {
 public:
  static constexpr wchar_t kClassName[] = L"PlayerScreenView";

  PlayerScreenView();
  ~PlayerScreenView() override;

  // A child of parent at x, y with the client area sized to the panel; shown.
  // `style` adds to the child's style (a border, say).
  bool Create(HWND parent, int x, int y, DWORD style = 0, int child_id = 0);
  void SetExitTarget(HWND target) { exit_target_ = target; }
  // The panel's own keys (Tab and arrows among its controls, Space on them):
  // true when the message was taken and must not be dispatched.
  // The player's own keys come first, so a focused check box cannot take them.
  bool TranslateKey(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !Hwnd() ||
        (msg.hwnd != Hwnd() && !IsChild(Hwnd(), msg.hwnd)))
      return false;
    return (msg.message == WM_KEYDOWN && OnPlayerKey(unsigned(msg.wParam))) || IsDialogMessageW(Hwnd(), &msg);
  }
  // The open-file flow's last step: the file is classified and probed off
  // the window's thread, then started if it is a backup file; anything else
  // changes nothing. False when there is no player to open it in.
  bool OpenFile(const wchar_t* path);

  int CurrentCamera() const { return current_camera_; }
  // engine::PlayMode; kModeNone once the window has gone.
  int PlayMode() const;
  // kOneCameraLayout or kFourCameraLayout.
  int DivisionLayout() const { return display_.Layout(); }
  // The combined picture shown last.
  void CopyShownPicture(engine::BitmapInfo* info, uint8_t* pixels) { display_.CopyPicture(info, pixels); }
  // The motion search of the region drawn: how far it has got (0-1000) and
  // the intervals found so far. User-interface thread.
  int SearchProgress() const { return search_progress_; }
  const std::vector<am4search::FoundInterval>& MotionFound() const { return found_; }

  // For the benchmark: plays from where it is with the sound on, timing each
  // picture shown, until StopTimedPlay stops the engine for good.
  void StartTimedPlay();
  DisplayTimings StopTimedPlay();
  // Stops the engine for good: the number of workers that had to be terminated.
  int StopEngine();

 private:
  // EngineView, called from the engine's threads.
  void OnOpened(const backup::RecordingInfo& info) override;
  void OnModeChanged(int old_mode, int new_mode) override;
  void OnPicture(const engine::PictureEntry& picture, int mode) override;
  void OnPosition(uint32_t position, uint32_t span) override;
  void OnAudioControlsEnabled(bool enabled) override;

  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Setup();
  void CreateControls();
  void Teardown();
  void Command(int id, bool checked);
  void ShowModeDisplay(int old_mode, int mode);
  void ShowCameras(int division, const uint8_t* list);
  void ShowFourFrom(int camera);
  void ShowOneCamera(int camera);
  void StepDelay(int id);
  // A key of the player's legend acts as its button would, only while a
  // file is open and that button is enabled. True when taken.
  bool OnPlayerKey(unsigned virtual_key);
  bool Usable(int id) const;
  void AddKeyLegend(HWND area);
  void OnDrop(HDROP drop);
  void ChooseFile();
  void OnFileProbed(WPARAM number);
  void SeekTo(std::optional<double> fraction);
  // The motion search: a region drawn, its marks, N and P, Escape.
  void OnRegionDrawn();
  void ShowSearchMarks();
  void ShowMotion(int direction);
  void StopSearch();   // its marks go, the region stays
  void ClearSearch();  // the region too

  ImageButton* Button(int id) const { return buttons_.Find(id); }
  // Each button enabled as the panel's state has it; those that change are redrawn.
  void ShowEnabled();
  void RefreshNow(ImageButton* b);
  void SetMode(int mode) { engine_->SetPlayMode(mode); }
  void OnAviCommand(int command, int camera);
  void OnImageCommand(int operation);
  // The recording closed and the AVI save panel's start usable again.
  void EndRecording();
  void TurnToggleOff(int id);

  // Engine, sound and pictures: built once with the window object.
  engine::SoundOutput sound_;
  std::unique_ptr<engine::PlaybackEngine> engine_;
  DisplayManager display_;
  Export export_{display_};
  FileProbe probe_;
  RegionSearch search_;
  std::unique_ptr<AVISaveDlg> avi_dialog_;
  std::unique_ptr<ImageEditDlg> image_edit_dialog_;
  Panel panel_;
  DisplayTimeDate clock_;
  PanelButtons buttons_;  // table order
  PanelSlider slider_{panel_};
  win32::Font control_font_;

  // User-interface thread.
  std::atomic<int> current_camera_{-1};  // also read by the display worker for the recording
  int delay_index_ = 0, speed_index_ = 0;
  PanelState state_;  // what decides which buttons are enabled
  backup::CaptureTime start_time_, end_time_;
  bool captured_ = false, tracking_leave_ = false;
  POINT origin_ = {};
  HWND exit_target_ = nullptr;
  std::wstring current_file_, version_text_;
  HWND labels_[3] = {};  // 205, 207, 210
  HWND key_legend_ = nullptr;  // tooltip of the video area
  int search_progress_ = 0;    // 0-1000
  std::vector<am4search::FoundInterval> found_;

  // Written by the engine's workers.
  backup::CaptureTime play_time_;    // display worker
  std::atomic<bool> timing_{false};  // user-interface thread
  DisplayTimings timings_;           // display worker while timing_, read after the engine stopped
};

}  // namespace view
