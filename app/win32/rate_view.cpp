#include "app/win32/rate_view.h"

#include <windowsx.h>

#include <vector>

#include "engine/formatters.h"

namespace vantrel {

namespace {

constexpr wchar_t kClassName[] = L"VantrelRateView";
constexpr int kDefaultFontHeight = 13;

// One GDI object, released when replaced or destroyed.
template <typename H>
class GdiObject {
 public:
  GdiObject() = default;
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  void Reset(H h = nullptr) {
    if (m_h) DeleteObject(m_h);
    m_h = h;
  }
  H get() const { return m_h; }
  explicit operator bool() const { return m_h != nullptr; }

 private:
  H m_h = nullptr;
};

RECT ToRect(const PixelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

LOGFONTW ToLogFont(const LogFontRecord& f) {
  LOGFONTW lf{};
  lf.lfHeight = f.height;
  lf.lfWidth = f.width;
  lf.lfEscapement = f.escapement;
  lf.lfOrientation = f.orientation;
  lf.lfWeight = f.weight;
  lf.lfItalic = f.italic;
  lf.lfUnderline = f.underline;
  lf.lfStrikeOut = f.strikeOut;
  lf.lfCharSet = f.charSet;
  lf.lfOutPrecision = f.outPrecision;
  lf.lfClipPrecision = f.clipPrecision;
  lf.lfQuality = f.quality;
  lf.lfPitchAndFamily = f.pitchAndFamily;
  lstrcpynW(lf.lfFaceName, f.faceName.c_str(), LF_FACESIZE);
  return lf;
}

// The font of a record (96-DPI heights) at the view's DPI, the view's default Tahoma when the
// record is absent or unusable. `used` is the record as made, at that DPI.
HFONT CreateViewFont(const LogFontRecord& f, int32_t defaultWeight, unsigned dpi, LogFontRecord* used) {
  const LogFontRecord fallback = FontForDpi(MakeLogFont(L"Tahoma", kDefaultFontHeight, defaultWeight), dpi);
  *used = IsMissingFont(f) ? fallback : FontForDpi(f, dpi);
  LOGFONTW lf = ToLogFont(*used);
  HFONT font = CreateFontIndirectW(&lf);
  if (!font) {
    *used = fallback;
    lf = ToLogFont(*used);
    font = CreateFontIndirectW(&lf);
  }
  return font;
}

// A solid line `width` pixels wide (whole pixels at the view's DPI).
HPEN CreateLinePen(int width, COLORREF colour) { return CreatePen(PS_SOLID, width, colour); }

// A Win32 pen style as stored; a value the system refuses falls back to a solid line. Lines
// wider than a pixel keep their dashes only as geometric pens.
HPEN CreateStyledPen(uint32_t style, COLORREF colour, int width) {
  HPEN pen = nullptr;
  if (width <= 1) {
    pen = CreatePen(static_cast<int>(style), 1, colour);
  } else if (style <= PS_DASHDOTDOT) {
    LOGBRUSH brush{BS_SOLID, colour, 0};
    pen = ExtCreatePen(PS_GEOMETRIC | static_cast<DWORD>(style) | PS_ENDCAP_FLAT, static_cast<DWORD>(width), &brush, 0,
                       nullptr);
  }
  return pen ? pen : CreateLinePen(width, colour);
}

// "999.9 mbps" and the like in the view's font.
int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  if (text.empty() || !GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size)) return 0;
  return size.cx;
}

// 12-hour clock when the locale says so or cannot be asked.
bool LocaleUsesTwelveHours() {
  wchar_t buf[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ITIME, buf, 8) == 0) return true;
  return buf[0] == L'0';
}

const std::deque<RateSample>& NoHistory() {
  static const std::deque<RateSample> empty;
  return empty;
}

bool RegisterRateViewClass(WNDPROC proc) {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;  // nothing is erased: every pixel comes from the back buffer
  wc.lpszClassName = kClassName;
  registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}

}  // namespace

struct CRateView::Impl {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  AdapterEntry* entry = nullptr;
  const bool* mainShown = nullptr;
  RateViewSettings settings;
  std::wstring caption;
  int width = 0;
  int height = 0;
  ViewMetrics metrics;
  RateViewLayout layout;
  RateMaxima maxima;
  TimeGridPhase phase;
  bool twelveHour = true;

  GdiObject<HFONT> titleFont, rateFont, scaleFont, timeFont;
  LogFontRecord usedTitle, usedRate, usedScale, usedTime;
  GdiObject<HPEN> borderPen, downPen, upPen, avgDownPen, avgUpPen, gridPen, timeGridPen;
  GdiObject<HBRUSH> bothBrush, downBrush, upBrush;
  HDC memDC = nullptr;
  GdiObject<HBITMAP> bitmap;
  HGDIOBJ originalBitmap = nullptr;
  int bitmapWidth = 0;
  int bitmapHeight = 0;

  const std::deque<RateSample>& History() const { return entry ? entry->history : NoHistory(); }
  bool Shown() const { return !mainShown || *mainShown; }

  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

  void CreateFonts();
  void CreatePens();
  void MeasureMetrics();
  void EnsureBitmap();
  void DoLayout();
  void Redraw();
  void Render();
  void FillOutlined(const PixelRect& r, COLORREF fill);
  void DrawScaleGrid();
  void DrawTimeGrid();
  void DrawLine(LineValue value, HPEN pen);
  void DrawTimeText();
  void DrawRateText();
  void ReleaseSurface();
  void ReleaseGdi();
};

LRESULT CALLBACK CRateView::Impl::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Impl* self = reinterpret_cast<Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<Impl*>(cs->lpCreateParams);
    self->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd = nullptr;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return self->Handle(msg, wParam, lParam);
}

LRESULT CRateView::Impl::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      twelveHour = LocaleUsesTwelveHours();
      HDC screen = GetDC(hwnd);
      memDC = CreateCompatibleDC(screen);
      ReleaseDC(hwnd, screen);
      if (!memDC) return -1;
      originalBitmap = GetCurrentObject(memDC, OBJ_BITMAP);
      CreateFonts();
      CreatePens();
      MeasureMetrics();
      width = cs->cx;
      height = cs->cy;
      phase.Reset(settings);
      DoLayout();
      return 0;
    }
    case WM_SIZE:
      width = LOWORD(lParam);
      height = HIWORD(lParam);
      DoLayout();
      Redraw();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) {
        Render();
        if (bitmap) {
          const RECT& r = ps.rcPaint;
          BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memDC, r.left, r.top, SRCCOPY);
        }
        EndPaint(hwnd, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if ((wParam & MK_LBUTTON) && parent) {
        // Dragging a view drags the main window.
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd, &pt);
        SendMessageW(parent, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pt.x, pt.y));
      }
      return 0;
    case WM_DESTROY:
      ReleaseGdi();
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void CRateView::Impl::CreateFonts() {
  const unsigned dpi = settings.dpi;
  titleFont.Reset(CreateViewFont(settings.titleFont, FW_BOLD, dpi, &usedTitle));
  rateFont.Reset(CreateViewFont(settings.rateFont, FW_DONTCARE, dpi, &usedRate));
  scaleFont.Reset(CreateViewFont(settings.scaleFont, FW_DONTCARE, dpi, &usedScale));
  timeFont.Reset(CreateViewFont(settings.timeTextFont, FW_DONTCARE, dpi, &usedTime));
}

void CRateView::Impl::CreatePens() {
  const RateViewSettings& s = settings;
  const int line = LineWidthForDpi(s.dpi);
  // The border stays inside the rectangles it outlines, so bands overlap by exactly a line.
  borderPen.Reset(CreatePen(line > 1 ? PS_INSIDEFRAME : PS_SOLID, line, s.border));
  downPen.Reset(CreateLinePen(line, s.down));
  upPen.Reset(CreateLinePen(line, s.up));
  avgDownPen.Reset(CreateLinePen(line, s.avgDownLineColour));
  avgUpPen.Reset(CreateLinePen(line, s.avgUpLineColour));
  gridPen.Reset(CreateStyledPen(s.scaleGridLineStyle, s.grid, line));
  timeGridPen.Reset(CreateStyledPen(s.timeGridLineStyle, s.timeGridColour, line));
  bothBrush.Reset(CreateSolidBrush(s.both));
  downBrush.Reset(CreateSolidBrush(s.down));
  upBrush.Reset(CreateSolidBrush(s.up));
}

void CRateView::Impl::MeasureMetrics() {
  if (!memDC) return;
  auto heightOf = [&](HFONT font, const LogFontRecord& used) {
    HGDIOBJ old = SelectObject(memDC, font);
    TEXTMETRICW tm{};
    int measured = GetTextMetricsW(memDC, &tm) ? static_cast<int>(tm.tmHeight) : kDefaultFontHeight;
    SelectObject(memDC, old);
    return FontHeightOf(used, measured);
  };
  metrics.titleFontHeight = heightOf(titleFont.get(), usedTitle);
  metrics.rateFontHeight = heightOf(rateFont.get(), usedRate);
  metrics.scaleFontHeight = heightOf(scaleFont.get(), usedScale);
  metrics.timeFontHeight = heightOf(timeFont.get(), usedTime);
  HGDIOBJ old = SelectObject(memDC, scaleFont.get());
  metrics.scaleWidth = ScaleWidthFromText(TextWidth(memDC, ScaleWidthSample(settings.byteUnits)), settings.dpi);
  SelectObject(memDC, old);
}

void CRateView::Impl::EnsureBitmap() {
  if (!memDC || width <= 0 || height <= 0) return;
  if (bitmap && bitmapWidth == width && bitmapHeight == height) return;
  HDC screen = GetDC(hwnd);
  HBITMAP fresh = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(hwnd, screen);
  if (!fresh) return;
  SelectObject(memDC, fresh);
  bitmap.Reset(fresh);
  bitmapWidth = width;
  bitmapHeight = height;
}

void CRateView::Impl::DoLayout() {
  layout = ComputeLayout(width, height, settings, metrics);
  maxima.Recompute(History(), layout.visibleCount, settings.avgDownLine, settings.avgUpLine);
  if (width > 0 && height > 0) EnsureBitmap();
}

void CRateView::Impl::Redraw() {
  if (!hwnd || !memDC || !Shown()) return;
  Render();
  if (!bitmap) return;
  HDC dc = GetDC(hwnd);
  if (!dc) return;
  BitBlt(dc, 0, 0, bitmapWidth, bitmapHeight, memDC, 0, 0, SRCCOPY);
  ReleaseDC(hwnd, dc);
}

void CRateView::Impl::FillOutlined(const PixelRect& r, COLORREF fill) {
  HBRUSH brush = CreateSolidBrush(fill);
  HGDIOBJ oldPen = SelectObject(memDC, borderPen.get());
  HGDIOBJ oldBrush = SelectObject(memDC, brush);
  Rectangle(memDC, r.left, r.top, r.right, r.bottom);
  SelectObject(memDC, oldBrush);
  SelectObject(memDC, oldPen);
  DeleteObject(brush);
}

void CRateView::Impl::DrawScaleGrid() {
  if (!settings.scaleGrid || !settings.scale || layout.graphArea.IsEmpty()) return;
  HGDIOBJ old = SelectObject(memDC, gridPen.get());
  for (int y : ScaleGridPositions(layout, metrics)) {
    MoveToEx(memDC, layout.graphArea.left, y, nullptr);
    LineTo(memDC, layout.graphArea.right, y);
  }
  SelectObject(memDC, old);
}

void CRateView::Impl::DrawTimeGrid() {
  if (!settings.timeGrid || !settings.graph || layout.graphArea.IsEmpty()) return;
  HGDIOBJ old = SelectObject(memDC, timeGridPen.get());
  for (int x : TimeGridPositions(layout, phase)) {
    MoveToEx(memDC, x, layout.graphArea.top, nullptr);
    LineTo(memDC, x, layout.graphArea.bottom);
  }
  SelectObject(memDC, old);
}

void CRateView::Impl::DrawLine(LineValue value, HPEN pen) {
  std::vector<LinePoint> plan = PlanLine(History(), layout, settings, maxima.ScaleTop(), value);
  if (plan.size() < 2) return;
  std::vector<POINT> points;
  points.reserve(plan.size());
  for (const LinePoint& p : plan) points.push_back(POINT{p.x, p.y});
  HGDIOBJ old = SelectObject(memDC, pen);
  Polyline(memDC, points.data(), static_cast<int>(points.size()));
  SelectObject(memDC, old);
}

void CRateView::Impl::DrawTimeText() {
  if (!settings.timeText || !settings.graph || layout.graphArea.IsEmpty()) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  int nowSecond = now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
  uint32_t interval = EffectiveGridInterval(settings);
  HGDIOBJ old = SelectObject(memDC, timeFont.get());
  SetTextColor(memDC, settings.timeTextColour);
  UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | (settings.timeTextAtTop ? DT_TOP : DT_BOTTOM);
  std::vector<int> xs = TimeGridPositions(layout, phase);
  for (size_t i = 0; i < xs.size(); ++i) {
    int t = GridLineSecondOfDay(nowSecond, phase.Seconds(), interval, i);
    std::wstring text = FormatGridTime(t / 3600, (t / 60) % 60, t % 60, settings.timeFormat, twelveHour);
    RECT r{xs[i] + ViewPx(settings, 4), layout.graphArea.top, layout.graphArea.right, layout.graphArea.bottom};
    if (r.left >= r.right) continue;
    DrawTextW(memDC, text.c_str(), -1, &r, flags);
  }
  SelectObject(memDC, old);
}

void CRateView::Impl::DrawRateText() {
  const auto& history = History();
  if (layout.text.IsEmpty() || history.empty()) return;
  RateTextPieces pieces = RateText(history.front(), maxima.RateMaximum(), settings);
  HGDIOBJ old = SelectObject(memDC, rateFont.get());
  RECT r = ToRect(layout.text);
  const UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_BOTTOM;
  if (!settings.textInGraphColours) {
    SetTextColor(memDC, settings.rateText);
    DrawTextW(memDC, pieces.plain.c_str(), -1, &r, flags | DT_CENTER);
  } else {
    bool withMax = !pieces.maximum.empty();
    int space = TextWidth(memDC, L" ");
    int maxWidth = withMax ? TextWidth(memDC, pieces.maximum) : 0;
    int downWidth = TextWidth(memDC, pieces.down), upWidth = TextWidth(memDC, pieces.up);
    ColouredTextPlan plan =
        PlanColouredText(layout.text.left, layout.text.Width(), space, withMax, maxWidth, downWidth, upWidth);
    auto piece = [&](const std::wstring& text, int x, COLORREF colour) {
      RECT pr{x, r.top, r.right, r.bottom};
      SetTextColor(memDC, colour);
      DrawTextW(memDC, text.c_str(), -1, &pr, flags | DT_LEFT);
    };
    if (withMax) piece(pieces.maximum, plan.maxX, settings.rateText);
    piece(pieces.down, plan.downX, settings.down);
    piece(pieces.up, plan.upX, settings.up);
  }
  SelectObject(memDC, old);
}

void CRateView::Impl::Render() {
  if (!memDC || !bitmap || width <= 0 || height <= 0) return;
  const RateViewSettings& s = settings;
  const RateViewLayout& l = layout;
  SetBkMode(memDC, TRANSPARENT);

  // 1. Title band.
  if (!l.titleBand.IsEmpty()) {
    FillOutlined(l.titleBand, s.titleBkg);
    if (!l.titleText.IsEmpty()) {
      HGDIOBJ old = SelectObject(memDC, titleFont.get());
      SetTextColor(memDC, s.titleText);
      RECT r = ToRect(l.titleText);
      DrawTextW(memDC, caption.c_str(), -1, &r, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX | DT_END_ELLIPSIS);
      SelectObject(memDC, old);
    }
  }

  if (!l.graphBand.IsEmpty()) {
    // 2. Graph band, with the scale's right border.
    FillOutlined(l.graphBand, s.graphBkg);
    if (!l.scale.IsEmpty()) {
      // The line at the scale's right edge, a line wide.
      HBRUSH border = CreateSolidBrush(s.border);
      RECT edge{l.scale.right, l.scale.top, l.scale.right + l.lineWidth, l.scale.bottom};
      FillRect(memDC, &edge, border);
      DeleteObject(border);
    }
    // 3. Scale ticks and labels.
    if (!l.scale.IsEmpty() && l.graphHeight > 0) {
      HBRUSH tick = CreateSolidBrush(s.border);
      HGDIOBJ oldFont = SelectObject(memDC, scaleFont.get());
      SetTextColor(memDC, s.scaleText);
      for (int y : ScaleMarkPositions(l, metrics)) {
        RECT mark{l.scale.right - ViewPx(s, 3), y, l.scale.right, y + l.lineWidth};
        FillRect(memDC, &mark, tick);
        std::wstring label = FormatRate(ScaleLabelValue(maxima.ScaleTop(), l, y), s.byteUnits);
        RECT r = ToRect(ScaleLabelRect(l, metrics, y));
        DrawTextW(memDC, label.c_str(), -1, &r, DT_SINGLELINE | DT_RIGHT | DT_TOP | DT_NOPREFIX);
      }
      SelectObject(memDC, oldFont);
      DeleteObject(tick);
    }
    // 4. Grids under the rates.
    if (!s.scaleGridOnTop) DrawScaleGrid();
    if (!s.timeGridOnTop) DrawTimeGrid();
    // 5. Rates.
    if (l.graphArea.Height() > 0) {
      if (s.columns) {
        for (const ColumnParts& c : PlanColumns(History(), l, s, maxima.ScaleTop())) {
          if (!c.both.IsEmpty()) {
            RECT r = ToRect(c.both);
            FillRect(memDC, &r, bothBrush.get());
          }
          if (!c.single.IsEmpty()) {
            RECT r = ToRect(c.single);
            FillRect(memDC, &r, c.singleIsDownload ? downBrush.get() : upBrush.get());
          }
        }
      } else {
        DrawLine(LineValue::Up, upPen.get());
        DrawLine(LineValue::Down, downPen.get());
      }
    }
    // 6. Average lines.
    if (s.avgUpLine) DrawLine(LineValue::AvgUp, avgUpPen.get());
    if (s.avgDownLine) DrawLine(LineValue::AvgDown, avgDownPen.get());
    // 7. Grids on top.
    if (s.scaleGridOnTop) DrawScaleGrid();
    if (s.timeGridOnTop) DrawTimeGrid();
    // 8. Time text.
    DrawTimeText();
  }

  // 9. Text band.
  if (!l.textBand.IsEmpty()) {
    FillOutlined(l.textBand, s.rateBkg);
    DrawRateText();
  }
}

void CRateView::Impl::ReleaseSurface() {
  if (memDC) {
    if (originalBitmap) SelectObject(memDC, originalBitmap);
    DeleteDC(memDC);
    memDC = nullptr;
  }
  bitmap.Reset();
  bitmapWidth = bitmapHeight = 0;
}

void CRateView::Impl::ReleaseGdi() {
  ReleaseSurface();
  titleFont.Reset();
  rateFont.Reset();
  scaleFont.Reset();
  timeFont.Reset();
  borderPen.Reset();
  downPen.Reset();
  upPen.Reset();
  avgDownPen.Reset();
  avgUpPen.Reset();
  gridPen.Reset();
  timeGridPen.Reset();
  bothBrush.Reset();
  downBrush.Reset();
  upBrush.Reset();
}

CRateView::CRateView() : m_impl(std::make_unique<Impl>()) {}

CRateView::~CRateView() { Destroy(); }

bool CRateView::Create(HWND parent, const RECT& rect, AdapterEntry* entry, const bool* mainShown,
                       const RateViewSettings& settings, const std::wstring& caption) {
  if (m_impl->hwnd) return false;
  if (!RegisterRateViewClass(&Impl::WndProc)) return false;
  Impl& d = *m_impl;
  d.parent = parent;
  d.entry = entry;
  d.mainShown = mainShown;
  d.settings = settings;
  if (d.settings.rateHeightPercent < 50 || d.settings.rateHeightPercent > 100) d.settings.rateHeightPercent = 95;
  d.caption = caption;
  HWND hwnd = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent, nullptr, GetModuleHandleW(nullptr), &d);
  return hwnd != nullptr;
}

void CRateView::Destroy() {
  if (m_impl->hwnd) DestroyWindow(m_impl->hwnd);
  m_impl->ReleaseGdi();
}

HWND CRateView::hwnd() const { return m_impl->hwnd; }

void CRateView::PushSample(const RateSample&) {
  Impl& d = *m_impl;
  d.phase.Advance(d.settings);
  d.maxima.OnNewSample(d.History(), d.layout.visibleCount, d.settings.avgDownLine, d.settings.avgUpLine);
  d.Redraw();
}

void CRateView::SetCaption(const std::wstring& caption) {
  if (m_impl->caption == caption) return;
  m_impl->caption = caption;
  m_impl->Redraw();
}

void CRateView::ApplySettings(const RateViewSettings& settings, bool redraw) {
  Impl& d = *m_impl;
  RateViewSettings next = settings;
  if (next.rateHeightPercent < 50 || next.rateHeightPercent > 100) next.rateHeightPercent = d.settings.rateHeightPercent;
  const RateViewSettings before = d.settings;
  d.settings = next;
  if (d.hwnd) {
    bool fontsChanged = !(before.titleFont == next.titleFont) || !(before.rateFont == next.rateFont) ||
                        !(before.scaleFont == next.scaleFont) || !(before.timeTextFont == next.timeTextFont) ||
                        before.dpi != next.dpi;
    if (fontsChanged) d.CreateFonts();
    d.CreatePens();
    if (fontsChanged || before.byteUnits != next.byteUnits) d.MeasureMetrics();
  }
  if (NeedsGridReset(before, next)) d.phase.Reset(next);
  if (NeedsLayout(before, next)) d.DoLayout();
  if (redraw) d.Redraw();
}

void CRateView::SetFixedScale(bool on, uint32_t bytesPerSecond, bool redraw) {
  Impl& d = *m_impl;
  d.maxima.SetFixed(on, bytesPerSecond, d.History(), d.layout.visibleCount, d.settings.avgDownLine,
                    d.settings.avgUpLine);
  if (redraw) d.Redraw();
}

void CRateView::Reset() { LayoutAndRedraw(); }

void CRateView::ResetTimeGridPhase() { m_impl->phase.Reset(m_impl->settings); }

void CRateView::LayoutAndRedraw() {
  m_impl->DoLayout();
  m_impl->Redraw();
}

int CRateView::NaturalHeight() const {
  const Impl& d = *m_impl;
  if (d.memDC) return NaturalViewHeight(d.settings, d.metrics);
  // Before the window exists: the heights the stored fonts ask for, at the view's DPI.
  const unsigned dpi = d.settings.dpi;
  const int fallback = ScaleForDpi(kDefaultFontHeight, dpi);
  ViewMetrics m;
  m.titleFontHeight = IsMissingFont(d.settings.titleFont)
                          ? fallback
                          : FontHeightOf(FontForDpi(d.settings.titleFont, dpi), fallback);
  m.rateFontHeight = IsMissingFont(d.settings.rateFont) ? fallback
                                                        : FontHeightOf(FontForDpi(d.settings.rateFont, dpi), fallback);
  return NaturalViewHeight(d.settings, m);
}

uint32_t CRateView::RateMaximum() const { return m_impl->maxima.RateMaximum(); }

uint32_t CRateView::ScaleTop() const { return m_impl->maxima.ScaleTop(); }

uint32_t CRateView::GraphBackground() const { return m_impl->settings.graphBkg; }

void CRateView::PaintInto(HDC dc) {
  Impl& d = *m_impl;
  d.Render();
  if (d.bitmap) BitBlt(dc, 0, 0, d.bitmapWidth, d.bitmapHeight, d.memDC, 0, 0, SRCCOPY);
}

const RateViewLayout& CRateView::Layout() const { return m_impl->layout; }

int CRateView::ScaleWidth() const { return m_impl->metrics.scaleWidth; }

}  // namespace vantrel
