#pragma once
// CStopwatchDlg: the stopwatch (dialog 216). It measures one adapter between Start and Stop
// from the rate history that the main window's tick keeps extending; it counts nothing itself.
#include <windows.h>

#include <vector>

#include "app/logic/stopwatch.h"
#include "engine/adapter_entry.h"
#include "ui/dialog_font.h"
#include "ui/flicker_free_label.h"
#include "ui/window.h"

namespace vantrel {

struct StopwatchOptions {
  bool alwaysOnTop = false;  // StopwatchAlwaysOnTop
  bool resetGraph = false;   // StopwatchResetAdapterGraph
};

class CStopwatchDlg : public ui::CDialog {
 public:
  static constexpr UINT_PTR kTimerId = 100;
  static constexpr UINT kTimerMilliseconds = 1000;

  // `mainWindow` gets the adapter's Reset-rates command when the reset option is on.
  CStopwatchDlg(MonitoredList& adapters, bool byteUnits, StopwatchOptions options, HWND mainWindow, HICON icon);

  // Runs the dialog modally until it is closed.
  void Run(HINSTANCE instance, HWND owner);
  // The two options as the check boxes stood when it closed.
  StopwatchOptions Options() const { return m_options; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  void ReadChecks();
  void ApplyTopmost();
  void OnStartStop();
  void Start();
  void Stop();
  void OnTimer();
  void Refresh();
  void ShowElapsed();
  void SetField(int id, const std::wstring& text);
  void Close();

  MonitoredList& m_adapters;
  bool m_byteUnits;
  StopwatchOptions m_options;
  HWND m_main;
  HICON m_icon;
  std::vector<AdapterEntry*> m_items;  // combo item i carries m_items[i]
  AdapterEntry* m_measured = nullptr;  // while running
  StopwatchCounter m_counter;
  ui::CFlickerFreeLabel m_elapsed;
};

}  // namespace vantrel
