#pragma once
// CTrafficChartView: the chart of the Traffic Reports window's chart page. A child window that
// draws the bars (download below upload), the value axis, the period labels and the rule's
// threshold, projection or window off-screen and copies them to the screen in one step, at the
// window's DPI. Hovering a bar shows its figures in a tooltip; the window text holds every
// bar's figures for screen readers. The figures come from the page (reports/traffic_chart.h).
#include <windows.h>

#include <string>

#include "app/logic/chart_layout.h"
#include "reports/traffic_chart.h"
#include "ui/dialog_font.h"
#include "ui/window.h"

namespace vantrel {

class CTrafficChartView : public ui::CWindow {
 public:
  CTrafficChartView() = default;
  ~CTrafficChartView() override;

  // Takes the place of a placeholder control of a dialog: its rectangle, id and tab order.
  bool CreateOver(HINSTANCE instance, HWND placeholder);
  // The graph's download and upload colours (DownColor, UpColor).
  void SetColours(COLORREF down, COLORREF up);
  // New figures: the picture, the tooltips and the window text follow.
  void SetChart(const ChartData& chart);
  // Writes the chart as it is shown, at its size, as a PNG file; false when it cannot.
  bool SaveAsPng(const std::wstring& path);

 protected:
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  // Measures the texts at the window's DPI and lays the chart out for the client size.
  void Relayout();
  void Render(HDC dc, int width, int height);
  void Paint();
  void UpdateTools();
  void EnsureFont();

  ChartData m_chart;
  ChartOutlook m_outlook;
  ChartAxis m_axis;
  ChartLayout m_layout;
  COLORREF m_down = RGB(255, 0, 0);
  COLORREF m_up = RGB(0, 204, 0);
  int m_width = 0;
  int m_height = 0;
  unsigned m_fontDpi = 0;
  int m_fontHeight = 13;
  ui::CFont m_font;
  HBITMAP m_back = nullptr;  // the off-screen picture, the client's size
  int m_backWidth = 0;
  int m_backHeight = 0;
  HWND m_tooltip = nullptr;
  size_t m_tools = 0;
  std::wstring m_tip;  // the text the tooltip is showing
};

}  // namespace vantrel
