#include "panel_slider.h"

#include <algorithm>

#include "player_controls.h"
#include "smapi.h"

namespace view {

namespace {

Span Horizontal(const RECT& r) { return {r.left, r.right}; }

bool Contains(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// The search's marks: its progress in a thin bar under the fill, intervals
// over it from the track's top, each at least kMinMark pixels wide.
constexpr COLORREF kProgressColour = RGB(80, 160, 255), kIntervalColour = RGB(255, 96, 0);
constexpr int kProgressGap = 2, kProgressHeight = 3, kMinMark = 3;

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  const RECT r{left, top, right, bottom};
  win32::Brush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.Get());
}

}  // namespace

void PanelSlider::Load(ImageButton* thumb) {
  bar_.Reset(SMAPI_GetResourceBitmapHandle(kSliderBar));
  fill_.Reset(SMAPI_GetResourceBitmapHandle(kSliderFill));
  thumb_ = thumb;
  dragging_ = false;
}

void PanelSlider::Unload() {
  panel_.DrawOnly([&](HDC) { thumb_ = nullptr; });
  bar_.Reset();
  fill_.Reset();
}

void PanelSlider::DrawLocked(HDC dc, int x) {
  if (!thumb_) return;
  const RECT track = SkinRect(kTrack), fill = SkinRect(kSliderFill), bar = SkinRect(kSliderBar);
  RECT r = thumb_->Rect();
  const ThumbPlacement p = PlaceThumb(Horizontal(track), Horizontal(r), x);
  r.left = p.thumb.left;
  r.right = p.thumb.right;
  thumb_->MoveTo(r);
  win32::MemoryDC from(dc);
  if (bar_) {
    win32::SelectedObject use(from.Get(), bar_.Get());
    BitBlt(dc, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, from.Get(), 0, 0, SRCCOPY);
  }
  if (fill_ && p.fill_end > fill.left) {
    win32::SelectedObject use(from.Get(), fill_.Get());
    BitBlt(dc, fill.left, fill.top, p.fill_end - fill.left, fill.bottom - fill.top, from.Get(), 0, 0, SRCCOPY);
  }
  DrawMarksLocked(dc);
  thumb_->Draw(dc);
}

void PanelSlider::DrawMarksLocked(HDC dc) const {
  const RECT track = SkinRect(kTrack), fill = SkinRect(kSliderFill);
  const int progress_top = fill.bottom + kProgressGap;
  if (progress_end_ > track.left)
    Fill(dc, track.left, progress_top, progress_end_, progress_top + kProgressHeight, kProgressColour);
  for (const Span& m : marks_) Fill(dc, m.left, track.top + 1, m.right, fill.top, kIntervalColour);
}

void PanelSlider::ShowSearch(int permille, const std::vector<Interval>& intervals, uint32_t span) {
  const RECT track = SkinRect(kTrack);
  const int width = track.right - track.left;
  std::vector<Span> marks;
  for (const auto& [first, last] : intervals) {
    const int left = track.left + SliderOffset(width, first, span);
    const int right = std::max(left + kMinMark, int(track.left) + SliderOffset(width, last, span));
    marks.push_back({left, std::min(right, int(track.right))});
  }
  const int progress_end = permille > 0 ? track.left + SliderOffset(width, std::min(permille, 1000), 1000) : 0;
  panel_.Paint(SkinRect(kSliderBar), [&](HDC dc) {
    progress_end_ = progress_end;
    marks_ = std::move(marks);
    if (thumb_) DrawLocked(dc, (thumb_->Rect().left + thumb_->Rect().right) / 2);
  });
}

void PanelSlider::RestartLocked(HDC dc) {
  last_offset_.store(0);
  DrawLocked(dc, SkinRect(kTrack).left);
}

void PanelSlider::ShowPosition(uint32_t position, uint32_t span) {
  const RECT track = SkinRect(kTrack);
  const int offset = SliderOffset(track.right - track.left, position, span);
  if (last_offset_.exchange(offset) == offset) return;
  panel_.Paint(SkinRect(kSliderBar), [&](HDC dc) { DrawLocked(dc, track.left + offset); });
}

std::optional<double> PanelSlider::MoveTo(int x) {
  panel_.Paint(SkinRect(kSliderBar), [&](HDC dc) { DrawLocked(dc, x); });
  return SeekFraction(Horizontal(SkinRect(kTrack)), x);
}

std::optional<double> PanelSlider::Press(int x, int y) {
  bool usable = false;
  panel_.DrawOnly([&](HDC) { usable = thumb_ && thumb_->State().enabled; });
  if (!usable || !Contains(SkinRect(kTrack), x, y)) return std::nullopt;
  return MoveTo(x);
}

std::optional<double> PanelSlider::Drag(int x, bool left_down) {
  if (!dragging_ || !left_down) return std::nullopt;
  const RECT track = SkinRect(kTrack);
  return MoveTo(std::clamp(x, int(track.left), int(track.right)));
}

}  // namespace view
