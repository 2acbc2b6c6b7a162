#include "panel_texts.h"


#include "panel.h"
#include "win32/gdi.h"
#include "win32/version_text.h"

namespace view {

namespace {

constexpr COLORREF kTextGrey = RGB(211, 211, 211);

void DrawInfo(HDC dc, HFONT font, WORD id, const wchar_t* text, COLORREF colour) {
  RECT r = SkinRect(id);
  win32::SelectedObject use(dc, font);
  const COLORREF old_bk = SetBkColor(dc, RGB(0, 0, 0));
  const COLORREF old_text = SetTextColor(dc, colour);
  const int old_mode = SetBkMode(dc, OPAQUE);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawTextW(dc, text, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  SetBkMode(dc, old_mode);
  SetTextColor(dc, old_text);
  SetBkColor(dc, old_bk);
}

win32::Font InfoFont(HDC dc) {
  return win32::Font(CreateFontW(-MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, 300, 0, 0, 0,
                                 ANSI_CHARSET, 0, 0, 0, 0, L"MS Sans Serif"));
}

void DrawDateTime(HDC dc, HFONT font, WORD date_id, const backup::CaptureTime& t) {
  using backup::TimeForm;
  DrawInfo(dc, font, date_id, backup::FormatTimeWide(t, TimeForm::kPanelDate).c_str(), kTextGrey);
  DrawInfo(dc, font, WORD(date_id + 1), backup::FormatTimeWide(t, TimeForm::kPanelTime).c_str(), kTextGrey);
}

}  // namespace

void DrawInfoTexts(HDC dc, const backup::CaptureTime& start, const backup::CaptureTime& end, const backup::CaptureTime& play) {
  win32::Font font = InfoFont(dc);
  DrawInfo(dc, font.Get(), 64, L"START TIME", RGB(0, 252, 255));
  DrawDateTime(dc, font.Get(), 65, start);
  DrawInfo(dc, font.Get(), 67, L"END TIME", RGB(0, 252, 36));
  DrawDateTime(dc, font.Get(), 68, end);
  DrawInfo(dc, font.Get(), 73, L"PLAY TIME", RGB(255, 0, 36));
  DrawDateTime(dc, font.Get(), 74, play);
}

RECT DrawPlayTime(HDC dc, const backup::CaptureTime& play) {
  win32::Font font = InfoFont(dc);
  DrawDateTime(dc, font.Get(), 74, play);
  return Union(SkinRect(74), SkinRect(75));
}

void DrawVersionText(HDC dc, const std::wstring& text) {
  RECT r = SkinRect(59);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_text = SetTextColor(dc, RGB(0, 0, 0));
  constexpr UINT kFlags = DT_VCENTER | DT_CENTER | DT_SINGLELINE;
  for (auto [dx, dy] : {std::pair{0, -1}, {0, 1}, {1, 0}, {-1, 0}}) {
    RECT shifted = r;
    OffsetRect(&shifted, dx, dy);
    DrawTextW(dc, text.c_str(), -1, &shifted, kFlags);
  }
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextW(dc, text.c_str(), -1, &r, kFlags);
  SetTextColor(dc, old_text);
  SetBkMode(dc, old_mode);
}

std::wstring ModuleVersionText() {
  return win32::VersionNumbersText(win32::ModuleOf(reinterpret_cast<const void*>(&ModuleVersionText)));
}

const wchar_t* DelayLabel(int index) {
  static const wchar_t* const kLabels[] = {L" 1", L" 2", L" 4", L" 8", L"16", L"32"};
  return kLabels[index < 0 ? 0 : index > 5 ? 5 : index];
}

const wchar_t* SpeedLabel(int index) { return index ? L"  2" : L"  1"; }

}  // namespace view
