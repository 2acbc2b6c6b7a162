#include "player_screen_view.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "player_controls.h"
#include "player_keys.h"
#include "player_messages.h"
#include "search_marks.h"
#include "smapi.h"

namespace view {

namespace {

constexpr int kModeStepMs = 100;  // between play-mode changes, for the workers to follow
constexpr int kFileCameras = 4;


}  // namespace

PlayerScreenView::PlayerScreenView()
    : engine_(std::make_unique<engine::PlaybackEngine>(static_cast<engine::EngineView&>(*this), &sound_)) {}

PlayerScreenView::~PlayerScreenView() { Destroy(); }

bool PlayerScreenView::Create(HWND parent, int x, int y, DWORD style, int child_id) {
  RECT r = SkinRect(kPanelId);
  style |= WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&r, style, FALSE, 0);
  if (!Window::Create(kClassName, L"", style, 0, x, y, r.right - r.left, r.bottom - r.top, parent,
                      reinterpret_cast<HMENU>(INT_PTR(child_id))))
    return false;
  Setup();
  return true;
}

// ---- setup and teardown ----

void PlayerScreenView::CreateControls() {
  HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(Hwnd(), GWLP_HINSTANCE));
  {
    win32::WindowDC dc(Hwnd());
    control_font_.Reset(CreateFontW(-MulDiv(9, GetDeviceCaps(dc.Get(), LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0,
                                    0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
  }
  struct Control {
    int id;
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
  } const controls[] = {
      {kAudioOn, L"BUTTON", L"Audio On", BS_AUTOCHECKBOX | WS_TABSTOP},
      {kAudioCh1, L"BUTTON", L"CH01", BS_AUTORADIOBUTTON | WS_GROUP},
      {kAudioCh2, L"BUTTON", L"CH02", BS_AUTORADIOBUTTON},
      {kAudioCh4, L"BUTTON", L"CH04", BS_AUTORADIOBUTTON},
      {kAudioCh4b, L"BUTTON", L"CH04", BS_AUTORADIOBUTTON},
      {kDelayLabel, L"STATIC", L"", SS_CENTER | SS_CENTERIMAGE},
      {kSpeedLabel, L"STATIC", L"", SS_CENTER},
      {kStatic210, L"STATIC", L"Static", 0},
      {kStatic211, L"STATIC", L"Static", 0},
      {kStatic212, L"STATIC", L"Static", 0},
      {kStatic213, L"STATIC", L"Static", 0},
  };
  for (const Control& c : controls) {
    HWND h = CreateWindowExW(0, c.cls, c.text, WS_CHILD | c.style, 0, 0, 60, 16, Hwnd(),
                             reinterpret_cast<HMENU>(INT_PTR(c.id)), module, nullptr);
    SendMessageW(h, WM_SETFONT, WPARAM(control_font_.Get()), FALSE);
  }
  labels_[0] = GetDlgItem(Hwnd(), kDelayLabel);
  labels_[1] = GetDlgItem(Hwnd(), kSpeedLabel);
  labels_[2] = GetDlgItem(Hwnd(), kStatic210);
  const auto place = [&](int id, int skin_id) {
    const RECT r = SkinRect(WORD(skin_id));
    SetWindowPos(GetDlgItem(Hwnd(), id), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(kDelayLabel, kDelayValue);
  SetWindowTextW(labels_[0], DelayLabel(0));
  ShowWindow(labels_[0], SW_SHOW);
  place(kAudioOn, kAudioBox);
  ShowWindow(GetDlgItem(Hwnd(), kAudioOn), SW_SHOW);
  EnableWindow(GetDlgItem(Hwnd(), kStatic211), FALSE);
  // 207 stays hidden as the form has it; 210 to 213 would only show "Static".

  clock_.Create(Hwnd(), kClock);
  clock_.Start();

  for (const ButtonEntry& entry : kButtons) {
    ImageButton* b = buttons_.Add(entry.id, entry.label, Hwnd(),
                                  entry.toggle ? ImageButton::kToggle : ImageButton::kPush, entry.enabled,
                                  entry.id >= kIconFirst ? PanelButtons::kLamp : PanelButtons::kButton);
    if (entry.id >= kDelayUp && entry.id <= kSpeedDown) b->SetAutoRepeat(kRepeatMs);
    if (entry.id == kSlideThumb) {
      b->SetTransparent(RGB(255, 0, 0));
      b->SetNotifyOnPress();
    }
  }
}

void PlayerScreenView::Setup() {
  CreateControls();
  slider_.Load(Button(kSlideThumb));
  panel_.Load(Hwnd());
  version_text_ = ModuleVersionText();
  for (int k = 0; k < 4; ++k) Button(kCamera1 + k)->State().checked = true;
  panel_.Paint(panel_.Rect(), [&](HDC dc) {
    slider_.DrawLocked(dc, SkinRect(kTrack).left);
    DrawInfoTexts(dc, {}, {}, {});
    buttons_.Draw(dc);
    DrawVersionText(dc, version_text_);
  });

  if (display_.Create(Hwnd(), SkinRect(kVideoArea))) {
    display_.SetEmptyFill(64);
    display_.SetBorderColour(RGB(255, 255, 255));
    display_.SetShowFlags(true, false, false);
    display_.Redraw(kAllChannels);
    ShowWindow(display_.Hwnd(), SW_SHOW);
    AddKeyLegend(display_.Hwnd());
  }
  DragAcceptFiles(Hwnd(), TRUE);
  avi_dialog_ = std::make_unique<AVISaveDlg>();
  image_edit_dialog_ = std::make_unique<ImageEditDlg>();
  avi_dialog_->Create(Hwnd());
  image_edit_dialog_->Create(Hwnd());
  ShowFourFrom(0);
}

void PlayerScreenView::Teardown() {
  probe_.Cancel();
  search_.Stop();
  clock_.Stop();
  // The engine and its decoders first: nothing may present a picture or
  // draw the slider into what is destroyed below.
  engine_->StopEngine();
  engine_.reset();
  if (key_legend_) DestroyWindow(key_legend_);
  key_legend_ = nullptr;
  display_.DestroyWindow();
  slider_.Unload();
  buttons_.Clear();
  panel_.Unload();
  if (image_edit_dialog_) image_edit_dialog_->Close();
  if (avi_dialog_) avi_dialog_->Close();
  image_edit_dialog_.reset();
  avi_dialog_.reset();
  delay_index_ = speed_index_ = 0;
  current_camera_ = -1;
  state_ = {};
  if (export_.Recording()) export_.EndRecording();
}

// ---- what the engine reports ----

void PlayerScreenView::OnOpened(const backup::RecordingInfo& info) {
  start_time_ = info.start_time;
  end_time_ = info.end_time;
  play_time_ = {};
  panel_.Paint(Union(SkinRect(kInfoArea), SkinRect(kSliderBar)), [&](HDC dc) {
    DrawInfoTexts(dc, start_time_, end_time_, play_time_);
    slider_.RestartLocked(dc);
  });
  display_.ClearPictures();
  state_.file_open = true;
  state_.cameras = kFileCameras;
  ShowFourFrom(0);
}

void PlayerScreenView::OnModeChanged(int old_mode, int new_mode) {
  // Every pause ends a recording: the one running now, not one started later.
  if (new_mode == engine::kModePause && export_.Recording())
    PostMessageW(Hwnd(), UM_RECORDING_PAUSED, WPARAM(export_.RecordingNumber()), 0);
  PostMessageW(Hwnd(), UM_MODE_CHANGED, WPARAM(old_mode), LPARAM(new_mode));
}

void PlayerScreenView::OnPicture(const engine::PictureEntry& picture, int) {
  LARGE_INTEGER begin, end, frequency;
  const bool timed = timing_.load();
  if (timed) QueryPerformanceCounter(&begin);
  const auto& t = picture.capture_time;
  if (display_.Hwnd()) display_.Redraw(display_.PresentPicture(picture.bitmap_info, picture.pixels, t));
  if (timed) {
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    timings_.ms.push_back(float(double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart)));
    timings_.timestamps.push_back(picture.timestamp);
    timings_.frame_rate = picture.frame_rate;
  }
  const backup::CaptureTime& play = t;
  // The recording's frame; at its size limit it ends as a pause ends it.
  if (export_.OnPicture(play, current_camera_.load())) engine_->SetPlayMode(engine::kModePause);
  // The texts show whole seconds: drawn again when they change.
  if (play == play_time_) return;
  play_time_ = play;
  panel_.Paint(Union(SkinRect(74), SkinRect(75)), [&](HDC dc) { DrawPlayTime(dc, play_time_); });
}

void PlayerScreenView::OnPosition(uint32_t position, uint32_t span) { slider_.ShowPosition(position, span); }

void PlayerScreenView::OnAudioControlsEnabled(bool enabled) {
  PostMessageW(Hwnd(), UM_AUDIO_CONTROLS, WPARAM(enabled), 0);
}

// ---- panel pieces ----

// The thumb moves under the lock, so its rectangle is read there.
void PlayerScreenView::RefreshNow(ImageButton* b) {
  if (!b) return;
  panel_.Refresh([&](HDC dc) {
    const RECT r = b->Rect();
    panel_.RestoreLocked(dc, r);
    if (b->State().visible) b->Draw(dc);
    return r;
  });
}

void PlayerScreenView::ShowEnabled() {
  const ButtonSet enabled = EnabledButtons(state_);
  buttons_.ForEach([&](ImageButton& b) {
    bool changed = false;
    panel_.DrawOnly([&](HDC) {
      changed = b.State().enabled != enabled[b.Id()];
      if (changed) b.State().Enable(enabled[b.Id()]);
    });
    if (changed) RefreshNow(&b);
  });
}

// ---- commands ----

void PlayerScreenView::ShowModeDisplay(int old_mode, int mode) {
  if (ImageButton* was = Button(ModeIcon(old_mode))) {
    was->State().checked = false;
    RefreshNow(was);
  }
  if (ImageButton* now = Button(ModeIcon(mode))) {
    now->State().checked = true;
    RefreshNow(now);
  }
  state_.play_mode = mode;
  ShowEnabled();
}

void PlayerScreenView::ShowCameras(int division, const uint8_t* list) {
  const int cells = division == 0 ? 1 : 4;
  display_.SetDivision(division == 0 ? kOneCameraLayout : kFourCameraLayout, list, cells);
  state_.single_view = division == 0;
  ClearSearch();  // its region was drawn over another camera
  display_.AllowRegion(state_.file_open && state_.single_view);
  state_.cameras_shown = 0;
  for (int i = 0; i < cells && i < state_.cameras; ++i)
    if (list[i] < 4) state_.cameras_shown |= uint8_t(1 << list[i]);
  // The cameras on screen show their buttons lit.
  panel_.DrawOnly([&](HDC) {
    for (int k = 0; k < 4; ++k) Button(kCamera1 + k)->State().checked = (state_.cameras_shown >> k) & 1;
  });
  ShowEnabled();
  for (int k = 0; k < 4; ++k) RefreshNow(Button(kCamera1 + k));
}

void PlayerScreenView::ShowFourFrom(int camera) {
  uint8_t list[4];
  for (int i = 0; i < 4; ++i) list[i] = uint8_t((camera + i) % 4);
  ShowCameras(1, list);
}

void PlayerScreenView::ShowOneCamera(int camera) {
  const uint8_t list[1] = {uint8_t(camera)};
  ShowCameras(0, list);
  current_camera_ = camera;
}

void PlayerScreenView::StepDelay(int id) {
  if (id == kDelayUp || id == kDelayDown) {
    delay_index_ = std::clamp(delay_index_ + (id == kDelayUp ? 1 : -1), 0, 5);
    engine_->SetDelayIndex(delay_index_);
    SetWindowTextW(labels_[0], DelayLabel(delay_index_));
  } else if (id == kSpeedUp || id == kSpeedDown) {
    speed_index_ = id == kSpeedUp ? 1 : 0;
    engine_->SetSpeedIndex(speed_index_);
    SetWindowTextW(labels_[1], SpeedLabel(speed_index_));
  }
}

void PlayerScreenView::Command(int id, bool checked) {
  if (!engine_) return;
  switch (id) {
    case kAviSave:
      SetMode(engine::kModePause);
      state_.avi_save_shown = checked;
      ShowEnabled();
      if (avi_dialog_) {
        if (checked) avi_dialog_->PresetSelections(std::max(0, current_camera_.load()));
        avi_dialog_->Show(checked);
      }
      break;
    case kImageEdit:
      if (checked) {
        SetMode(engine::kModePause);
        state_.image_edit_shown = true;
        ShowEnabled();
        display_.SavePicture(current_camera_);
        if (image_edit_dialog_) image_edit_dialog_->Show(true);
      } else {
        if (image_edit_dialog_) image_edit_dialog_->Show(false);
        display_.RestorePicture(current_camera_);
        state_.image_edit_shown = false;
        ShowEnabled();
      }
      break;
    case kFileOpen:
      ChooseFile();
      break;
    case kExit:
      SetMode(engine::kModePause);
      Sleep(kModeStepMs);
      PostMessageW(exit_target_, UM_PLAYER_EXIT, 0, 0);
      break;
    case kFirstPosition:
    case kLastPosition:
      engine_->ResetTiming();
      SetMode(engine::kModePause);
      Sleep(kModeStepMs);
      SetMode(id == kFirstPosition ? engine::kModeFirst : engine::kModeLast);
      Sleep(kModeStepMs);
      break;
    case kRewind:
      SetMode(engine::kModeRewind);
      break;
    case kReversePlay:
      SetMode(engine::kModeReverse);
      break;
    case kPause:
    case kPlay:
    case kFastForward:
      engine_->ResetTiming();
      SetMode(id == kPause ? engine::kModePause : id == kPlay ? engine::kModePlay : engine::kModeFastForward);
      break;
    case kCamera1:
    case kCamera2:
    case kCamera3:
    case kCamera4:
      current_camera_ = -1;
      if (state_.single_view) ShowOneCamera(id - kCamera1);
      else ShowFourFrom(id - kCamera1);
      break;
    case kDivision1:
      ShowOneCamera(0);
      break;
    case kDivision4:
      ShowFourFrom(0);
      break;
    case kDelayUp:
    case kDelayDown:
    case kSpeedUp:
    case kSpeedDown:
      StepDelay(id);
      break;
  }
}

void PlayerScreenView::AddKeyLegend(HWND area) {
  const INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES};  // the tooltip's class
  InitCommonControlsEx(&classes);
  key_legend_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Hwnd(), nullptr, nullptr, nullptr);
  if (!key_legend_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(area);
  tool.lpszText = const_cast<wchar_t*>(kKeyLegend);
  SendMessageW(key_legend_, TTM_SETMAXTIPWIDTH, 0, 600);
  SendMessageW(key_legend_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// A dropped file opens as FILE OPEN would; anything but a backup file changes nothing.
void PlayerScreenView::OnDrop(HDROP drop) {
  wchar_t path[MAX_PATH];
  if (Usable(kFileOpen) && DragQueryFileW(drop, 0, path, MAX_PATH)) OpenFile(path);
  DragFinish(drop);
}

bool PlayerScreenView::Usable(int id) const {
  const ImageButton* b = Button(id);
  return b && b->State().enabled;
}

// A key of the legend is always taken, also when it does nothing.
bool PlayerScreenView::OnPlayerKey(unsigned key) {
  const int mode = engine_ ? engine_->PlayMode() : engine::kModeNone;
  const KeyAction action = ActionOfKey(key, mode == engine::kModePlay, mode == engine::kModeFastForward);
  if (action == KeyAction::kNone) return false;
  if (!engine_ || current_file_.empty()) return true;
  const auto press = [&](int id) {
    if (Usable(id)) Command(id, false);
    return true;
  };
  const auto step = [&](int direction) {
    if (!Usable(kPause)) return true;
    if (mode != engine::kModePause) SetMode(engine::kModePause);
    engine_->Step(direction);
    return true;
  };
  switch (action) {
    case KeyAction::kNone: break;
    case KeyAction::kPlay: return press(kPlay);
    case KeyAction::kPause: return press(kPause);
    case KeyAction::kReversePlay: return press(kReversePlay);
    case KeyAction::kFastForward: return press(kFastForward);
    case KeyAction::kStepForward: return step(+1);
    case KeyAction::kStepBack: return step(-1);
    case KeyAction::kFirst: return press(kFirstPosition);
    case KeyAction::kLast: return press(kLastPosition);
    case KeyAction::kDelayDown: return press(kDelayDown);
    case KeyAction::kDelayUp: return press(kDelayUp);
    case KeyAction::kNextMotion:
    case KeyAction::kPreviousMotion:
      if (Usable(kPause)) ShowMotion(action == KeyAction::kNextMotion ? 1 : -1);
      return true;
    case KeyAction::kClearRegion:
      ClearSearch();
      return true;
  }
  return false;
}

void PlayerScreenView::ChooseFile() {
  wchar_t directory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, directory);
  wchar_t file[259] = {}, title[259] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Hwnd();
  ofn.lpstrFilter = L"AM4 Files (*.am4)\0*.am4\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = 259;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = 259;
  ofn.Flags = OFN_EXPLORER;
  if (GetOpenFileNameW(&ofn)) OpenFile(file);
  SetCurrentDirectoryW(directory);
}

bool PlayerScreenView::OpenFile(const wchar_t* path) {
  if (!engine_ || !path) return false;
  probe_.Start(path, Hwnd());
  return true;
}

void PlayerScreenView::OnFileProbed(WPARAM number) {
  std::wstring path;
  backup::RecordingInfo info;
  if (!engine_ || !probe_.Take(number, path, info)) return;
  ClearSearch();
  current_file_ = path;
  engine_->StartPlayback(path.c_str(), info, Hwnd());
}

void PlayerScreenView::OnAviCommand(int command, int camera) {
  switch (command) {
    case kStartRecording:
      if (avi_dialog_ && export_.StartRecording(avi_dialog_->ReadSelections(), current_camera_))
        SetMode(engine::kModePlay);
      break;
    case kStopRecording:
      SetMode(engine::kModePause);
      EndRecording();
      break;
    case kShowCamera:
      ShowOneCamera(camera);
      break;
  }
}

// A panel closed by itself: its toggle goes off as a click would turn it off.
void PlayerScreenView::TurnToggleOff(int id) {
  ImageButton* b = Button(id);
  if (!b || !b->State().checked) return;
  b->State().checked = false;
  RefreshNow(b);
  Command(id, false);
}

void PlayerScreenView::EndRecording() {
  export_.EndRecording();
  if (avi_dialog_) avi_dialog_->ReenableStart();
}

void PlayerScreenView::OnImageCommand(int operation) {
  const int camera = current_camera_;
  if (camera < 0) return;
  if (operation == kSaveJpeg) export_.SaveJpeg(camera);
  else if (operation == kPrint) export_.Print(Hwnd(), camera, start_time_, end_time_, version_text_);
  else export_.Filter(operation, camera);
}

void PlayerScreenView::SeekTo(std::optional<double> fraction) {
  if (fraction && engine_) engine_->SeekTo(*fraction);
}

// ---- the motion search ----

// The region drawn, in the camera's own pixels, is searched from the start.
void PlayerScreenView::OnRegionDrawn() {
  const auto drawn = display_.Region();
  const int camera = current_camera_;
  if (!drawn || !state_.file_open || !state_.single_view || camera < 0) return;
  StopSearch();
  const RECT area = SkinRect(kVideoArea);
  const SIZE picture = display_.PictureSize();
  const SourceRect r = CameraRegionOfDrag({drawn->left, drawn->top, drawn->right, drawn->bottom}, area.right - area.left,
                                          area.bottom - area.top, camera, picture.cx, picture.cy);
  if (r.width > 0 && r.height > 0) search_.Start(current_file_, camera + 1, {r.x, r.y, r.width, r.height}, Hwnd());
}

void PlayerScreenView::ShowSearchMarks() {
  const backup::RecordingInfo& info = engine_->Info();
  const auto position = [&](uint32_t offset) {
    return offset > info.first_header_offset ? offset - info.first_header_offset : 0;
  };
  std::vector<PanelSlider::Interval> marks;
  for (const auto& f : found_) marks.emplace_back(position(f.first_offset), position(f.last_end));
  slider_.ShowSearch(search_progress_, marks, info.SpanLength());
}

// The first picture of the next (direction > 0) or previous interval, paused.
void PlayerScreenView::ShowMotion(int direction) {
  std::vector<uint32_t> firsts;
  for (const auto& f : found_) firsts.push_back(f.first_timestamp);
  uint32_t shown = 0;
  int to = -1;
  if (engine_->ShownPicture(shown)) to = IntervalToShow(firsts, shown, direction);
  else if (direction > 0 && !firsts.empty()) to = 0;
  if (to >= 0) engine_->ShowPicture(found_[to].first_offset, found_[to].first_timestamp);
}

void PlayerScreenView::StopSearch() {
  search_.Stop();
  found_.clear();
  search_progress_ = 0;
  slider_.ClearSearch();
}

void PlayerScreenView::ClearSearch() {
  StopSearch();
  display_.ClearRegion();
}

// ---- verbs for the benchmark and the soak ----

int PlayerScreenView::PlayMode() const { return engine_ ? engine_->PlayMode() : engine::kModeNone; }

void PlayerScreenView::StartTimedPlay() {
  if (!engine_) return;
  timings_ = {};
  timings_.ms.reserve(4096);
  timings_.timestamps.reserve(4096);
  timing_.store(true);
  engine_->SetAudioEnabled(true);
  engine_->ResetTiming();
  engine_->SetPlayMode(engine::kModePlay);
}

DisplayTimings PlayerScreenView::StopTimedPlay() {
  StopEngine();
  timing_.store(false);
  return std::move(timings_);
}

int PlayerScreenView::StopEngine() {
  if (!engine_) return 0;
  engine_->StopEngine();
  return engine_->TerminatedWorkers();
}

// ---- messages ----

LRESULT PlayerScreenView::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
  switch (msg) {
    case WM_DESTROY:
      Teardown();
      return 0;
    case WM_PAINT: {
      win32::PaintDC dc(Hwnd());
      panel_.DrawOnly([&](HDC panel) { buttons_.Draw(panel); });
      panel_.Copy(panel_.Rect(), dc.Get());
      return 0;
    }
    case WM_ERASEBKGND:
      panel_.DrawOnly([&](HDC panel) { buttons_.Draw(panel); });
      panel_.Copy(panel_.Rect(), reinterpret_cast<HDC>(wp));
      return 1;
    case WM_COMMAND:
      if (LOWORD(wp) == kAudioOn && HIWORD(wp) == BN_CLICKED && engine_)
        engine_->SetAudioEnabled(IsDlgButtonChecked(Hwnd(), kAudioOn) == BST_CHECKED);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      return LRESULT(GetStockObject(BLACK_BRUSH));
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {  // a quick second click is a click too
      if (GetFocus() != Hwnd() && !IsChild(Hwnd(), GetFocus())) SetFocus(Hwnd());  // for the keys
      if (!captured_) {
        SetCapture(Hwnd());
        captured_ = true;
      }
      SeekTo(slider_.Press(x, y));
      panel_.DrawOnly([&](HDC dc) { buttons_.Press(dc, false, x, y); });
      return 0;
    }
    case WM_MOUSEMOVE: {
      POINT origin{0, 0};
      ClientToScreen(Hwnd(), &origin);
      origin_ = origin;
      if (!tracking_leave_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Hwnd(), 0};
        tracking_leave_ = TrackMouseEvent(&track);
      }
      if (const auto fraction = slider_.Drag(x, (wp & MK_LBUTTON) != 0)) {
        SeekTo(fraction);
        return 0;
      }
      panel_.DrawOnly([&](HDC dc) { buttons_.Move(dc, (wp & MK_LBUTTON) != 0, x, y); });
      return 0;
    }
    case WM_MOUSELEAVE:
      // Off the panel (onto the video area too): no button stays lit.
      tracking_leave_ = false;
      if (!captured_) panel_.DrawOnly([&](HDC dc) { buttons_.Move(dc, false, -1, -1); });
      return 0;
    case WM_LBUTTONUP:
      if (captured_) {
        captured_ = false;
        ReleaseCapture();
      }
      slider_.EndDrag();
      panel_.DrawOnly([&](HDC dc) { buttons_.Release(dc, false, x, y); });
      return 0;
    case WM_CAPTURECHANGED:
      if (captured_) captured_ = false;
      return 0;
    case WM_MOVE:
    case WM_MOVING:
    case UM_FOLLOW_MOVE: {
      POINT origin{0, 0};
      ClientToScreen(Hwnd(), &origin);
      origin_ = origin;
      if (msg == UM_FOLLOW_MOVE) {
        if (avi_dialog_) avi_dialog_->Follow();
        if (image_edit_dialog_) image_edit_dialog_->Follow();
      }
      break;
    }
    case UM_AVI_COMMAND:
      if (engine_) OnAviCommand(int(wp), int(lp));
      return 0;
    case UM_IMAGE_COMMAND:
      OnImageCommand(int(wp));
      return 0;
    case UM_PANEL_CLOSED:
      if (avi_dialog_ && HWND(lp) == avi_dialog_->Hwnd()) TurnToggleOff(kAviSave);
      if (image_edit_dialog_ && HWND(lp) == image_edit_dialog_->Hwnd()) TurnToggleOff(kImageEdit);
      return 0;
    case UM_RECORDING_PAUSED:
      if (export_.Recording() && export_.RecordingNumber() == uint32_t(wp)) EndRecording();
      return 0;
    case UM_FILE_PROBED:
      OnFileProbed(wp);
      return 0;
    case UM_REGION_DRAWN:
      if (engine_) OnRegionDrawn();
      return 0;
    case UM_SEARCH_PROGRESS:
      if (engine_ && search_.IsLatest(wp)) {
        search_progress_ = int(lp);
        ShowSearchMarks();
      }
      return 0;
    case UM_SEARCH_FOUND:
      if (engine_ && search_.Take(wp, found_)) ShowSearchMarks();
      return 0;
    case WM_DROPFILES:
      OnDrop(reinterpret_cast<HDROP>(wp));
      return 0;
    case UM_BUTTON_CLICK:
      Command(int(wp), HIWORD(lp) != 0);
      return 0;
    case UM_BUTTON_REPEAT_END:
      StepDelay(int(wp));
      return 0;
    case UM_BUTTON_DRAWN:
      panel_.Copy(*reinterpret_cast<const RECT*>(lp));
      return 0;
    case UM_BUTTON_REFRESH:
      RefreshNow(Button(int(wp)));
      return 0;
    case UM_BUTTON_DOWN:
      if (int(wp) == kSlideThumb) {
        slider_.StartDrag();
        if (!captured_) SetCapture(Hwnd()), captured_ = true;
      }
      return 0;
    case UM_MODE_CHANGED:
      if (engine_) ShowModeDisplay(int(wp), int(lp));
      return 0;
    case UM_AUDIO_CONTROLS:
      for (int id : {kAudioOn, kStatic212, kAudioCh1, kAudioCh2, kAudioCh4, kAudioCh4b})
        EnableWindow(GetDlgItem(Hwnd(), id), wp != 0);
      return 0;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace view
