// CTrafficChartView: the Traffic Reports window's chart.
#include "app/win32/traffic_chart_view.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/win32/png_file.h"
#include "engine/formatters.h"
#include "ui/dpi.h"

namespace vantrel {

namespace {

constexpr wchar_t kClassName[] = L"VantrelTrafficChart";
#ifndef WM_DPICHANGED_AFTERPARENT
constexpr UINT WM_DPICHANGED_AFTERPARENT = 0x02E3;
#endif

// 96-DPI sizes and the colours of what is not the traffic itself.
constexpr int kFontHeight = 11;  // as the dialog font
constexpr int kThresholdWidth = 2;
constexpr int kOutlineWidth = 1;
constexpr int kTipWidth = 400;
constexpr COLORREF kGridColour = RGB(221, 221, 221);
constexpr COLORREF kBandColour = RGB(255, 242, 204);
constexpr COLORREF kThresholdColour = RGB(32, 32, 32);
constexpr COLORREF kOutlineColour = RGB(64, 64, 64);

// A GDI object owned for the length of a drawing step.
class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ object) : m_object(object) {}
  ~GdiObject() {
    if (m_object) DeleteObject(m_object);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  HGDIOBJ get() const { return m_object; }

 private:
  HGDIOBJ m_object;
};

void Fill(HDC dc, const PixelRect& r, COLORREF colour) {
  if (r.IsEmpty()) return;
  GdiObject brush(CreateSolidBrush(colour));
  RECT rc{r.left, r.top, r.right, r.bottom};
  FillRect(dc, &rc, static_cast<HBRUSH>(brush.get()));
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

void Text(HDC dc, const std::wstring& text, RECT rc, UINT format) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, format | DT_SINGLELINE | DT_NOPREFIX);
}

std::wstring Bytes(int64_t n, bool byteUnits) { return FormatByteCount(n, byteUnits); }

}  // namespace

CTrafficChartView::~CTrafficChartView() {
  if (m_back) DeleteObject(m_back);
  Destroy();
}

bool CTrafficChartView::CreateOver(HINSTANCE instance, HWND placeholder) {
  if (!placeholder) return false;
  if (!RegisterWindowClass(instance, kClassName, 0, LoadCursorW(nullptr, IDC_ARROW), nullptr)) return false;
  HWND parent = GetParent(placeholder);
  RECT r{};
  GetWindowRect(placeholder, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  const int id = GetDlgCtrlID(placeholder);
  DestroyWindow(placeholder);
  if (!Create(0, kClassName, L"", WS_CHILD | WS_VISIBLE, r, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
              instance))
    return false;
  m_tooltip =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr, instance, nullptr);
  if (m_tooltip) SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, ui::ScaleToWindow(m_hwnd, kTipWidth));
  RECT client{};
  GetClientRect(m_hwnd, &client);
  m_width = client.right;
  m_height = client.bottom;
  Relayout();
  return true;
}

void CTrafficChartView::SetColours(COLORREF down, COLORREF up) {
  m_down = down;
  m_up = up;
  if (m_hwnd) InvalidateRect(m_hwnd, nullptr, FALSE);
}

void CTrafficChartView::SetChart(const ChartData& chart) {
  const bool sameBars = chart.bars.size() == m_chart.bars.size();
  m_chart = chart;
  if (!m_hwnd) return;
  SetWindowTextW(m_hwnd, ChartAccessibleText(m_chart).c_str());
  Relayout();
  InvalidateRect(m_hwnd, nullptr, FALSE);
  // A tip on show keeps its text until it is asked again.
  if (sameBars && m_tooltip) SendMessageW(m_tooltip, TTM_UPDATE, 0, 0);
}

void CTrafficChartView::EnsureFont() {
  const unsigned dpi = ui::DpiOfWindow(m_hwnd);
  if (m_font && dpi == m_fontDpi) return;
  m_fontDpi = dpi;
  m_font.Create(L"Tahoma", -ScaleForDpi(kFontHeight, dpi));
  HDC dc = GetDC(m_hwnd);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, m_font ? m_font.get() : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm{};
  if (GetTextMetricsW(dc, &tm)) m_fontHeight = tm.tmHeight;
  SelectObject(dc, old);
  ReleaseDC(m_hwnd, dc);
}

void CTrafficChartView::Relayout() {
  if (!m_hwnd) return;
  EnsureFont();
  ChartMetrics m;
  m.dpi = m_fontDpi;
  m.fontHeight = m_fontHeight;
  m_outlook = ChartOutlookOf(m_chart);
  // The plot's height, and so the number of gridlines, does not depend on the label widths.
  const size_t n = m_chart.bars.size();
  m_axis = ChooseChartAxis(ChartLargest(m_chart, m_outlook), LayoutChart(m_width, m_height, n, m).maxSteps,
                           m_chart.byteUnits);
  HDC dc = GetDC(m_hwnd);
  if (dc) {
    HGDIOBJ old = SelectObject(dc, m_font.get());
    for (int i = 0; i <= m_axis.steps; ++i)
      m.valueLabelWidth = std::max(m.valueLabelWidth, TextWidth(dc, Bytes(m_axis.step * i, m_chart.byteUnits)));
    for (size_t i = 0; i < n; ++i)
      m.barLabelWidth = std::max(m.barLabelWidth, TextWidth(dc, ChartBarLabel(m_chart, i)));
    SelectObject(dc, old);
    ReleaseDC(m_hwnd, dc);
  }
  ChartLayout layout = LayoutChart(m_width, m_height, n, m);
  const bool moved = layout.slots != m_layout.slots;
  m_layout = std::move(layout);
  if (moved) UpdateTools();
}

void CTrafficChartView::UpdateTools() {
  if (!m_tooltip) return;
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = m_hwnd;
  for (size_t i = 0; i < m_tools; ++i) {
    ti.uId = i;
    SendMessageW(m_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  m_tools = 0;
  for (const PixelRect& slot : m_layout.slots) {
    ti.uFlags = TTF_SUBCLASS;
    ti.uId = m_tools;
    ti.rect = RECT{slot.left, slot.top, slot.right, slot.bottom};
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    if (!SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti))) break;
    ++m_tools;
  }
}

void CTrafficChartView::Render(HDC dc, int width, int height) {
  const bool bytes = m_chart.byteUnits;
  Fill(dc, PixelRect{0, 0, width, height}, GetSysColor(COLOR_WINDOW));
  const ChartLayout& l = m_layout;
  const PixelRect& plot = l.plot;
  const uint64_t top = static_cast<uint64_t>(m_axis.Top());
  auto y = [&](uint64_t value) { return ChartValueY(l, value, top); };
  HGDIOBJ oldFont = SelectObject(dc, m_font.get());
  SetBkMode(dc, TRANSPARENT);
  const COLORREF textColour = GetSysColor(COLOR_WINDOWTEXT);
  SetTextColor(dc, textColour);
  auto s = [&](int length) { return ScaleForDpi(length, m_fontDpi); };

  // The rule's last D days behind their bars.
  if (m_chart.cap == ChartCap::Window && m_chart.bandFirst < l.slots.size()) {
    PixelRect band{l.slots[m_chart.bandFirst].left, plot.top, plot.right, plot.bottom};
    Fill(dc, band, kBandColour);
    const int days = static_cast<int>(PeriodDays(m_chart.window));
    Text(dc, L"Last " + std::to_wstring(days) + L" days",
         RECT{band.left + s(2), plot.top - m_fontHeight, plot.right, plot.top}, DT_LEFT | DT_BOTTOM | DT_END_ELLIPSIS);
  }

  // Gridlines with their values.
  {
    GdiObject grid(CreatePen(PS_SOLID, 1, kGridColour));
    HGDIOBJ oldPen = SelectObject(dc, grid.get());
    for (int i = 0; i <= m_axis.steps; ++i) {
      const int64_t value = m_axis.step * i;
      const int gy = y(static_cast<uint64_t>(value));
      if (i > 0) Line(dc, plot.left, gy, plot.right, gy);
      Text(dc, Bytes(value, bytes),
           RECT{0, gy - m_fontHeight / 2, plot.left - s(6), gy - m_fontHeight / 2 + m_fontHeight}, DT_RIGHT | DT_TOP);
    }
    SelectObject(dc, oldPen);
  }

  // The bars: download from the bottom, upload on top of it.
  for (size_t i = 0; i < l.bars.size() && i < m_chart.bars.size(); ++i) {
    const TrafficPair& t = m_chart.bars[i].shown;
    const uint64_t down = DirectionBytes(t, 0), both = DirectionBytes(t, 2);
    const PixelRect& col = l.bars[i];
    Fill(dc, PixelRect{col.left, y(down), col.right, plot.bottom}, m_down);
    Fill(dc, PixelRect{col.left, y(both), col.right, y(down)}, m_up);
  }

  // Where the current period is heading, as an outline over its bar.
  if (m_outlook.outline && !l.bars.empty()) {
    // `used` is the current bar in the direction the projection is for.
    if (m_outlook.projected > m_outlook.used) {
      const PixelRect& col = l.bars.back();
      LOGBRUSH lb{BS_SOLID, kOutlineColour, 0};
      GdiObject pen(
          ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT | PS_JOIN_MITER, s(kOutlineWidth), &lb, 0, nullptr));
      HGDIOBJ oldPen = SelectObject(dc, pen.get());
      HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
      Rectangle(dc, col.left, y(m_outlook.projected), col.right, plot.bottom + 1);
      SelectObject(dc, oldBrush);
      SelectObject(dc, oldPen);
    }
  }

  // The baseline.
  {
    GdiObject axis(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT)));
    HGDIOBJ oldPen = SelectObject(dc, axis.get());
    Line(dc, plot.left, plot.bottom, plot.right, plot.bottom);
    SelectObject(dc, oldPen);
  }

  // The threshold, labelled with its amount.
  if (m_chart.cap == ChartCap::Period) {
    const int ty = y(m_chart.threshold);
    GdiObject pen(CreatePen(PS_SOLID, s(kThresholdWidth), kThresholdColour));
    HGDIOBJ oldPen = SelectObject(dc, pen.get());
    Line(dc, plot.left, ty, plot.right, ty);
    SelectObject(dc, oldPen);
    const std::wstring label = Bytes(static_cast<int64_t>(std::min<uint64_t>(m_chart.threshold, INT64_MAX)), bytes);
    const int w = TextWidth(dc, label) + s(4);
    RECT box{plot.right - w - s(2), ty - s(kThresholdWidth) - m_fontHeight, plot.right - s(2), ty - s(kThresholdWidth)};
    Fill(dc, PixelRect{box.left, box.top, box.right, box.bottom}, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, kThresholdColour);
    Text(dc, label, box, DT_CENTER | DT_BOTTOM);
    SetTextColor(dc, textColour);
  }

  // Period labels under their bars.
  for (size_t i = 0; i < l.labels.size(); ++i) {
    const PixelRect& r = l.labels[i];
    if (!r.IsEmpty()) Text(dc, ChartBarLabel(m_chart, i), RECT{r.left, r.top, r.right, r.bottom}, DT_CENTER | DT_TOP);
  }

  // The frame.
  {
    GdiObject frame(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    HGDIOBJ oldPen = SelectObject(dc, frame.get());
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 0, 0, width, height);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
  }
  SelectObject(dc, oldFont);
}

void CTrafficChartView::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hwnd, &ps);
  if (!dc) return;
  if (m_width > 0 && m_height > 0) {
    HDC mem = CreateCompatibleDC(dc);
    if (!m_back || m_backWidth != m_width || m_backHeight != m_height) {
      if (m_back) DeleteObject(m_back);
      m_back = CreateCompatibleBitmap(dc, m_width, m_height);
      m_backWidth = m_width;
      m_backHeight = m_height;
    }
    if (mem && m_back) {
      HGDIOBJ old = SelectObject(mem, m_back);
      Render(mem, m_width, m_height);
      BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, mem, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
      SelectObject(mem, old);
    }
    if (mem) DeleteDC(mem);
  }
  EndPaint(m_hwnd, &ps);
}

bool CTrafficChartView::SaveAsPng(const std::wstring& path) {
  if (!m_hwnd || m_width <= 0 || m_height <= 0) return false;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = m_width;
  bi.bmiHeader.biHeight = -m_height;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(m_hwnd);
  GdiObject dib(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  HDC mem = CreateCompatibleDC(screen);
  if (screen) ReleaseDC(m_hwnd, screen);
  if (!dib.get() || !bits || !mem) {
    if (mem) DeleteDC(mem);
    return false;
  }
  HGDIOBJ old = SelectObject(mem, dib.get());
  Render(mem, m_width, m_height);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  std::vector<uint32_t> pixels(p, p + static_cast<size_t>(m_width) * static_cast<size_t>(m_height));
  SelectObject(mem, old);
  DeleteDC(mem);
  return WritePngFile(path, m_width, m_height, pixels);
}

bool CTrafficChartView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_ERASEBKGND:
      *result = 1;
      return true;
    case WM_PAINT:
      Paint();
      return true;
    case WM_SIZE:
      m_width = LOWORD(lp);
      m_height = HIWORD(lp);
      Relayout();
      InvalidateRect(m_hwnd, nullptr, FALSE);
      return true;
    case WM_DPICHANGED_AFTERPARENT:
      Relayout();
      InvalidateRect(m_hwnd, nullptr, FALSE);
      return true;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (!hdr || hdr->hwndFrom != m_tooltip || hdr->code != TTN_GETDISPINFOW) return false;
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(lp);
      m_tip = ChartBarTip(m_chart, static_cast<size_t>(hdr->idFrom));
      info->lpszText = m_tip.data();
      return true;
    }
    case WM_DESTROY:
      if (m_tooltip) DestroyWindow(m_tooltip);
      m_tooltip = nullptr;
      m_tools = 0;
      m_layout = ChartLayout{};
      return false;
    default:
      return false;
  }
}

}  // namespace vantrel
