// The player's one window: the skinned panel with its buttons, slider, clock
// and texts, the video area, and the playback engine behind them. It turns
// button clicks into play modes, divisions and file opens, and shows what
// the engine reports.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "avi_save_dlg.h"
#include "display_manager.h"
#include "display_time_date.h"
#include "engine_view.h"
#include "export.h"
#include "file_probe.h"
#include "image_edit_dlg.h"
#include "image_button.h"
#include "panel.h"
#include "panel_texts.h"
#include "playback_engine.h"
#include "sound_output.h"
#include "win32/gdi.h"
#include "win32/window.h"

namespace view {

// Time each picture took to be shown (cut, composed, copied to the window),
// kept when asked for, for the benchmark.
struct DisplayTimings {
  std::atomic<bool> enabled{false};
  // Display worker only, read after the engine stopped.
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

  DisplayTimings& Timings() { return timings_; }
  engine::PlaybackEngine& Engine() { return *engine_; }
  DisplayManager& Display() { return display_; }
  int CurrentCamera() const { return current_camera_; }

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
  void SeekAt(int x);
  void DrawSliderAt(HDC panel, int x);

  ImageButton* Button(int id) const { return id > 0 && id < int(by_id_.size()) ? by_id_[id] : nullptr; }
  // Enabled or disabled, then redrawn.
  void EnableButton(int id, bool enabled);
  void EnableRange(int first, int last, bool enabled);
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
  std::unique_ptr<AVISaveDlg> avi_dialog_;
  std::unique_ptr<ImageEditDlg> image_edit_dialog_;
  Panel panel_;
  DisplayTimeDate clock_;
  std::vector<std::unique_ptr<ImageButton>> buttons_;  // table order
  std::array<ImageButton*, 48> by_id_ = {};
  ImageButton* chain_ = nullptr;
  win32::Font control_font_;
  win32::Bitmap slider_bar_, slider_fill_;

  // User-interface thread.
  int division_mode_ = 1, division_cells_ = 4;
  std::array<uint8_t, 16> division_list_;
  std::atomic<int> current_camera_{-1};  // also read by the display worker for the recording
  int delay_index_ = 0, speed_index_ = 0;
  bool avi_dialog_shown_ = false, image_edit_shown_ = false;
  int cameras_ = 0;  // of the open file
  backup::CaptureTime start_time_, end_time_;
  bool dragging_ = false, captured_ = false, tracking_leave_ = false;
  POINT origin_ = {};
  HWND exit_target_ = nullptr;
  std::wstring current_file_, version_text_;
  HWND labels_[3] = {};  // 205, 207, 210
  HWND key_legend_ = nullptr;  // tooltip of the video area

  // Written by the engine's workers.
  backup::CaptureTime play_time_;          // display worker
  std::atomic<int> last_offset_{-1};  // slider offset drawn last
  DisplayTimings timings_;
};

}  // namespace view
