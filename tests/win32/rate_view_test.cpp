#include "app/win32/rate_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/win32/window_test_support.h"

namespace vantrel {
namespace {

using vantrel::testing::HiddenWindow;
using vantrel::testing::PixelCapture;

constexpr int kWidth = 300;
constexpr int kHeight = 150;

// Colours no two of which are alike, fonts without smoothing so text pixels are exact.
RateViewSettings TestSettings() {
  RateViewSettings s;
  s.graphBkg = RGB(0x20, 0x30, 0x40);
  s.down = RGB(0xF0, 0x00, 0x00);
  s.up = RGB(0x00, 0xE0, 0x00);
  s.both = RGB(0xE0, 0xE0, 0x00);
  s.titleBkg = RGB(0x60, 0x60, 0x60);
  s.titleText = RGB(0xFF, 0xFF, 0xFF);
  s.rateBkg = RGB(0xF8, 0xF8, 0xF8);
  s.rateText = RGB(0x00, 0x00, 0x00);
  s.scaleText = RGB(0x00, 0x00, 0x80);
  s.border = RGB(0x11, 0x22, 0x33);
  s.timeGridColour = RGB(0x80, 0x00, 0x80);
  s.avgDownLineColour = RGB(0x70, 0x10, 0x10);
  s.scaleGrid = false;
  s.timeGrid = false;
  s.timeText = false;
  for (LogFontRecord* f : {&s.titleFont, &s.rateFont, &s.scaleFont, &s.timeTextFont}) f->quality = NONANTIALIASED_QUALITY;
  return s;
}

class RateViewWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(m_parent.hwnd(), nullptr);
    ASSERT_TRUE(m_capture.ok());
    m_entry.displayName = L"LAN";
  }
  void Create(const RateViewSettings& s) {
    RECT r{0, 0, kWidth, kHeight};
    ASSERT_TRUE(m_view.Create(m_parent.hwnd(), r, &m_entry, &m_shown, s, L"LAN"));
    ASSERT_NE(m_view.hwnd(), nullptr);
  }
  void Push(uint32_t down, uint32_t up, uint32_t avgDown = 0, uint32_t avgUp = 0) {
    RateSample s{down, up, avgDown, avgUp};
    m_entry.history.push_front(s);
    m_view.PushSample(s);
  }
  void Paint() { m_view.PaintInto(m_capture.dc()); }
  COLORREF At(int x, int y) const { return m_capture.At(x, y); }
  // Pixels of `colour` inside r.
  int Count(const PixelRect& r, COLORREF colour) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour;
    return n;
  }

  HiddenWindow m_parent;
  AdapterEntry m_entry;
  bool m_shown = true;
  CRateView m_view;
  PixelCapture m_capture{kWidth, kHeight};
};

TEST_F(RateViewWindow, PaintsTheBandsInTheirColours) {
  RateViewSettings s = TestSettings();
  Create(s);
  m_view.SetFixedScale(true, 1000, false);
  Push(1000, 500);
  Paint();
  const RateViewLayout& l = m_view.Layout();
  ASSERT_FALSE(l.titleBand.IsEmpty());
  ASSERT_FALSE(l.graphArea.IsEmpty());
  ASSERT_FALSE(l.textBand.IsEmpty());
  ASSERT_GT(l.graphHeight, 10);
  EXPECT_EQ(At(0, 0), s.border);
  EXPECT_EQ(At(kWidth - 5, l.titleBand.top + 2), s.titleBkg);
  EXPECT_EQ(At(l.graphArea.left + 5, l.graphArea.top + 2), s.graphBkg);
  EXPECT_EQ(At(1, l.textBand.bottom - 2), s.rateBkg);
  // The scale's right border.
  EXPECT_EQ(At(l.scale.right, l.scale.top + 3), s.border);
  // The newest column: half in the both colour, the rest up to full height in download.
  int x = l.graphArea.right - 2;
  int bottom = l.graphArea.bottom;
  EXPECT_EQ(At(x, bottom - 1), s.both);
  EXPECT_EQ(At(x, bottom - l.graphHeight / 2 + 1), s.both);
  EXPECT_EQ(At(x, bottom - l.graphHeight / 2 - 2), s.down);
  EXPECT_EQ(At(x, bottom - l.graphHeight), s.down);
  EXPECT_EQ(At(x, bottom - l.graphHeight - 1), s.graphBkg);
  // The gap between columns stays background.
  EXPECT_EQ(At(l.graphArea.right - 4, bottom - 1), s.graphBkg);
  // Title text in its colour, scale labels in theirs.
  EXPECT_GT(Count(l.titleText, s.titleText), 0);
  EXPECT_GT(Count(l.scale, s.scaleText), 0);
}

TEST_F(RateViewWindow, MoreUploadThanDownloadTopsTheColumnInTheUploadColour) {
  RateViewSettings s = TestSettings();
  Create(s);
  m_view.SetFixedScale(true, 1000, false);
  Push(250, 1000);
  Paint();
  const RateViewLayout& l = m_view.Layout();
  int x = l.graphArea.right - 1;
  EXPECT_EQ(At(x, l.graphArea.bottom - 1), s.both);
  EXPECT_EQ(At(x, l.graphArea.bottom - l.graphHeight), s.up);
}

TEST_F(RateViewWindow, AFixedScaleOfZeroDrawsAnyTrafficAtFullHeight) {
  RateViewSettings s = TestSettings();
  Create(s);
  m_view.SetFixedScale(true, 0, false);
  EXPECT_EQ(m_view.ScaleTop(), 1u);
  Push(5, 0);
  Paint();
  const RateViewLayout& l = m_view.Layout();
  EXPECT_EQ(At(l.graphArea.right - 1, l.graphArea.bottom - l.graphHeight), s.down);
}

TEST_F(RateViewWindow, AllRatesZeroDrawNoColumns) {
  RateViewSettings s = TestSettings();
  Create(s);
  for (int i = 0; i < 5; ++i) Push(0, 0);
  EXPECT_EQ(m_view.ScaleTop(), 0u);
  Paint();
  const RateViewLayout& l = m_view.Layout();
  EXPECT_EQ(Count(l.graphArea, s.both), 0);
  EXPECT_EQ(Count(l.graphArea, s.down), 0);
  EXPECT_EQ(At(l.graphArea.right - 1, l.graphArea.bottom - 1), s.graphBkg);
}

TEST_F(RateViewWindow, LineStyleDrawsTheDownloadLineOverTheUploadLine) {
  RateViewSettings s = TestSettings();
  s.columns = false;
  Create(s);
  m_view.SetFixedScale(true, 1000, false);
  Push(1000, 1000);
  Push(1000, 1000);
  Paint();
  const RateViewLayout& l = m_view.Layout();
  int top = l.graphArea.bottom - l.graphHeight;
  EXPECT_EQ(At(l.graphArea.right - 1, top), s.down);
  EXPECT_EQ(At(l.graphArea.right - 3, top), s.down);
  EXPECT_EQ(Count(l.graphArea, s.up), 0);
  EXPECT_EQ(Count(l.graphArea, s.both), 0);
}

TEST_F(RateViewWindow, AverageLinesFollowTheAverages) {
  RateViewSettings s = TestSettings();
  s.avgDownLine = true;
  Create(s);
  m_view.SetFixedScale(true, 1000, false);
  Push(0, 0, 1000, 0);
  Push(0, 0, 1000, 0);
  Paint();
  const RateViewLayout& l = m_view.Layout();
  EXPECT_EQ(At(l.graphArea.right - 1, l.graphArea.bottom - l.graphHeight), s.avgDownLineColour);
}

TEST_F(RateViewWindow, TheTimeGridStartsAtTheNewestSample) {
  RateViewSettings s = TestSettings();
  s.timeGrid = true;
  s.timeGridLineStyle = PS_SOLID;
  Create(s);
  m_view.ResetTimeGridPhase();
  Push(0, 0);
  Paint();
  const RateViewLayout& l = m_view.Layout();
  int x = l.graphArea.right - EffectivePulseWidth(s);
  EXPECT_EQ(At(x, l.graphArea.top + 1), s.timeGridColour);
  EXPECT_EQ(At(x, l.graphArea.bottom - 1), s.timeGridColour);
  EXPECT_EQ(At(x - TimeGridSpacing(s), l.graphArea.top + 1), s.timeGridColour);
  EXPECT_EQ(At(x + 1, l.graphArea.top + 1), s.graphBkg);
}

TEST_F(RateViewWindow, ColouredTextPutsDownloadLeftOfUpload) {
  RateViewSettings s = TestSettings();
  Create(s);
  Push(123456, 7890);
  Paint();
  const RateViewLayout& l = m_view.Layout();
  int lastDown = -1, firstUp = kWidth, firstText = kWidth;
  for (int y = l.text.top; y < l.text.bottom; ++y)
    for (int x = l.text.left; x < l.text.right; ++x) {
      COLORREF c = At(x, y);
      if (c == s.down) lastDown = std::max(lastDown, x);
      if (c == s.up) firstUp = std::min(firstUp, x);
      if (c == s.rateText) firstText = std::min(firstText, x);
    }
  ASSERT_GE(lastDown, 0);
  ASSERT_LT(firstUp, kWidth);
  EXPECT_LT(lastDown, firstUp);
  EXPECT_LT(firstText, lastDown);  // the maximum comes first
}

TEST_F(RateViewWindow, PlainTextUsesTheRateTextColourOnly) {
  RateViewSettings s = TestSettings();
  s.textInGraphColours = false;
  Create(s);
  Push(123456, 7890);
  Paint();
  const RateViewLayout& l = m_view.Layout();
  EXPECT_GT(Count(l.text, s.rateText), 0);
  EXPECT_EQ(Count(l.text, s.down), 0);
  EXPECT_EQ(Count(l.text, s.up), 0);
}

TEST_F(RateViewWindow, MissingFontsBecomeTahomaOfHeight13) {
  RateViewSettings s = TestSettings();
  s.titleFont = s.rateFont = s.scaleFont = s.timeTextFont = LogFontRecord{};
  Create(s);
  EXPECT_EQ(m_view.NaturalHeight(), (13 + 3) + (13 + 3) + 100);
  EXPECT_GT(m_view.ScaleWidth(), 5);
}

TEST_F(RateViewWindow, ChangingTheUnitMeasuresTheScaleAgain) {
  RateViewSettings s = TestSettings();
  s.scaleFont = MakeLogFont(L"Tahoma", 16, 0);
  Create(s);
  // What the scale font measures for each unit's widest label.
  HDC dc = GetDC(m_view.hwnd());
  LOGFONTW lf{};
  lf.lfHeight = 16;
  lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE bits{}, bytes{};
  GetTextExtentPoint32W(dc, L"999.9 mbps", 10, &bits);
  GetTextExtentPoint32W(dc, L"999.9 MB/s", 10, &bytes);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(m_view.hwnd(), dc);

  EXPECT_EQ(m_view.ScaleWidth(), bits.cx + 5);
  EXPECT_EQ(m_view.Layout().visibleCount, VisibleSampleCount(kWidth, s, bits.cx + 5));
  s.byteUnits = true;
  m_view.ApplySettings(s, false);
  EXPECT_EQ(m_view.ScaleWidth(), bytes.cx + 5);
  EXPECT_EQ(m_view.Layout().visibleCount, VisibleSampleCount(kWidth, s, bytes.cx + 5));
  EXPECT_EQ(m_view.Layout().graphArea.left, bytes.cx + 5 + 2);
  // One pixel per sample: any change of the scale width changes the visible count.
  ASSERT_NE(bits.cx, bytes.cx);
  s.pulseWidth = 1;
  s.pulseSpace = 0;
  m_view.ApplySettings(s, false);
  size_t bytesCount = m_view.Layout().visibleCount;
  s.byteUnits = false;
  m_view.ApplySettings(s, false);
  EXPECT_EQ(m_view.ScaleWidth(), bits.cx + 5);
  EXPECT_EQ(static_cast<long>(bytesCount) - static_cast<long>(m_view.Layout().visibleCount), bits.cx - bytes.cx);
}

TEST_F(RateViewWindow, ResizingLaysOutAgainAndKeepsPainting) {
  RateViewSettings s = TestSettings();
  Create(s);
  size_t before = m_view.Layout().visibleCount;
  ASSERT_TRUE(SetWindowPos(m_view.hwnd(), nullptr, 0, 0, 150, 80, SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_LT(m_view.Layout().visibleCount, before);
  EXPECT_EQ(m_view.Layout().textBand.bottom, 80);
  Paint();
  EXPECT_EQ(At(1, 78), s.rateBkg);
  // A zero-high view has no bands and paints nothing.
  ASSERT_TRUE(SetWindowPos(m_view.hwnd(), nullptr, 0, 0, 150, 0, SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_TRUE(m_view.Layout().titleBand.IsEmpty());
  EXPECT_TRUE(m_view.Layout().graphArea.IsEmpty());
  Push(10, 10);
}

TEST_F(RateViewWindow, MovedToAScreenOfTwiceTheDpiItDrawsEverythingTwiceAsLarge) {
  RateViewSettings s = TestSettings();
  s.scaleGrid = false;
  Create(s);
  const int natural = m_view.NaturalHeight();
  const int scaleWidth = m_view.ScaleWidth();
  Push(14, 0);
  // What the main window does on WM_DPICHANGED: the same settings at the new DPI.
  s.dpi = 192;
  m_view.ApplySettings(s, false);
  EXPECT_EQ(m_view.NaturalHeight(), 2 * natural);
  // Measured again in the larger font (glyph widths do not double exactly).
  EXPECT_GT(m_view.ScaleWidth(), scaleWidth * 3 / 2);
  const RateViewLayout& l = m_view.Layout();
  EXPECT_EQ(l.text.Height(), 26);
  EXPECT_EQ(l.titleText.Height(), 26);
  Paint();
  // Two-pixel borders: the graph band's left edge and the line right of the scale.
  const int y = (l.graphArea.top + l.graphArea.bottom) / 2;
  EXPECT_EQ(At(0, y), s.border);
  EXPECT_EQ(At(1, y), s.border);
  EXPECT_EQ(At(2, y), s.graphBkg);
  EXPECT_EQ(At(l.scale.right, y), s.border);
  EXPECT_EQ(At(l.scale.right + 1, y), s.border);
  EXPECT_EQ(At(l.scale.right + 2, y), s.graphBkg);
  // The newest sample is a column 6 pixels wide (3 at 96 DPI) at the graph's right edge.
  const int bottom = l.graphArea.bottom - 1;
  for (int x = l.graphArea.right - 6; x < l.graphArea.right; ++x) EXPECT_EQ(At(x, bottom), s.down) << x;
  EXPECT_EQ(At(l.graphArea.right - 7, bottom), s.graphBkg);
}

TEST_F(RateViewWindow, DraggingWithTheLeftButtonMovesTheMainWindow) {
  Create(TestSettings());
  SendMessageW(m_view.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
  EXPECT_TRUE(m_parent.NcButtonDowns().empty());
  SendMessageW(m_view.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 20));
  ASSERT_EQ(m_parent.NcButtonDowns().size(), 1u);
  EXPECT_EQ(m_parent.NcButtonDowns()[0].wParam, static_cast<WPARAM>(HTCAPTION));
  POINT pt{10, 20};
  ClientToScreen(m_view.hwnd(), &pt);
  EXPECT_EQ(m_parent.NcButtonDowns()[0].lParam, MAKELPARAM(pt.x, pt.y));
}

TEST_F(RateViewWindow, TheBackgroundIsNeverErased) {
  Create(TestSettings());
  HDC dc = GetDC(m_view.hwnd());
  EXPECT_EQ(SendMessageW(m_view.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  ReleaseDC(m_view.hwnd(), dc);
}

TEST_F(RateViewWindow, MaximaFollowTheSamplesAndTheFixedScale) {
  Create(TestSettings());
  Push(100, 300);
  Push(50, 20);
  EXPECT_EQ(m_view.RateMaximum(), 300u);
  EXPECT_EQ(m_view.ScaleTop(), 300u);
  m_view.SetFixedScale(true, 125000, false);
  EXPECT_EQ(m_view.ScaleTop(), 125000u);
  m_view.SetFixedScale(false, 0, false);
  EXPECT_EQ(m_view.ScaleTop(), 300u);
  m_entry.history.clear();
  m_view.Reset();
  EXPECT_EQ(m_view.RateMaximum(), 0u);
}

TEST_F(RateViewWindow, HiddenMainWindowStillTracksSamples) {
  m_shown = false;
  Create(TestSettings());
  Push(70, 0);
  EXPECT_EQ(m_view.RateMaximum(), 70u);
  m_view.SetCaption(L"WAN [10.0.0.2]");
  Paint();  // an explicit paint still draws
  EXPECT_EQ(At(kWidth - 5, 3), TestSettings().titleBkg);
}

TEST_F(RateViewWindow, DestroyingTheParentFirstLeavesTheViewSafe) {
  Create(TestSettings());
  DestroyWindow(m_parent.hwnd());
  EXPECT_EQ(m_view.hwnd(), nullptr);
  Push(1, 1);  // no window, no crash
  m_view.ApplySettings(TestSettings(), true);
}

}  // namespace
}  // namespace vantrel
