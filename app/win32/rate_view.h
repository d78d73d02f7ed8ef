#pragma once
// CRateView: the child window that draws one adapter's graph and text. It owns no traffic
// data: it reads its entry's rate history (newest first), which the tick extends.
#include <windows.h>

#include <memory>
#include <string>

#include "app/logic/rate_view_layout.h"
#include "app/logic/rate_view_settings.h"
#include "engine/adapter_entry.h"

namespace vantrel {

class CRateView : public IRateView {
 public:
  CRateView();
  ~CRateView() override;
  CRateView(const CRateView&) = delete;
  CRateView& operator=(const CRateView&) = delete;

  // Creates the borderless child (WS_CHILD | WS_VISIBLE, arrow cursor, no background erase)
  // at `rect` in `parent`'s client area. `entry` must outlive the view. `mainShown` points at
  // the main window's shown flag: screen updates after a sample or setter happen only while
  // it is set. Dragging with the left button sends `parent` WM_NCLBUTTONDOWN / HTCAPTION.
  bool Create(HWND parent, const RECT& rect, AdapterEntry* entry, const bool* mainShown,
              const RateViewSettings& settings, const std::wstring& caption);
  void Destroy();
  HWND hwnd() const;

  // IRateView: the entry's history has just been extended; update maxima, redraw.
  void PushSample(const RateSample& sample) override;
  void SetCaption(const std::wstring& caption) override;

  // Takes new display settings (switches, colours, fonts, style); lays out again when a
  // setting that changes the layout changed. With redraw false nothing is painted yet.
  void ApplySettings(const RateViewSettings& settings, bool redraw);
  // Fixed scale from ConnRatebps / 8 bytes per second (0 behaves as 1); off = automatic.
  void SetFixedScale(bool on, uint32_t bytesPerSecond, bool redraw);
  // After the history was cleared (Reset Rates): lay out and redraw.
  void Reset();
  // Restart the time grid at the newest sample (views re-stacked by the main window).
  void ResetTimeGridPhase();
  void LayoutAndRedraw();

  // Natural height of a new view: (title ? title font height + 3 : 0) + (text ? rate font
  // height + 3 : 0) + (graph ? 100 : 0).
  int NaturalHeight() const;
  // The largest rate of the visible samples and the scale top (for the tray's graph icon).
  uint32_t RateMaximum() const;
  uint32_t ScaleTop() const;
  uint32_t GraphBackground() const;

  // Draws the view as it stands into `dc` at (0, 0) through the off-screen bitmap, whatever
  // the main window's shown flag (tests, screenshots).
  void PaintInto(HDC dc);
  // The current layout and the measured scale width (tests, the main window's stacking).
  const RateViewLayout& Layout() const;
  int ScaleWidth() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace vantrel
