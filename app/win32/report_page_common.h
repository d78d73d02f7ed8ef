#pragma once
// What the Traffic Reports window's pages share: following the sheet's adapter, the export of
// the page in front (save dialog, file, the success question with the offer to open it) and
// the coloured labels.
#include <windows.h>

#include <functional>

#include "app/logic/summary_sheet_logic.h"
#include "engine/adapter_entry.h"
#include "reports/report_export.h"
#include "reports/report_tables.h"
#include "ui/property_sheet.h"

namespace vantrel {

// Red of the selection lines and start-day labels, blue of the summary's "Until today" line.
constexpr COLORREF kReportRed = RGB(238, 0, 0);
constexpr COLORREF kReportBlue = RGB(0, 0, 238);

// Asks for a file in the save dialog (titled for the report, text / CSV / HTML filters),
// appends the filter's extension, writes the document that `document` makes at that moment,
// and asks whether to open the file (Yes opens it with the shell). Cancelling does nothing; a
// file that cannot be created is reported.
void ExportReportWithDialog(HWND owner, ReportKind kind, const std::function<ReportDocument()>& document);
// The end of an export: a file that could not be written is reported; otherwise `question`
// is asked, and Yes opens the file with the shell.
void EndExport(HWND owner, bool written, const std::wstring& path, const std::wstring& question);

// WM_CTLCOLORSTATIC for a label drawn in `colour` on its page's background (the themed tab
// body where the sheet draws one, the dialog colour otherwise).
LRESULT ColouredLabel(HDC dc, HWND label, COLORREF colour);

// Shows a message box titled "Vantrel".
int ReportMessage(HWND owner, const std::wstring& text, UINT flags);

class CSummarySheet;

// A page of the Traffic Reports window. Brought to the front it is built for the sheet's
// adapter, built again when another adapter was chosen meanwhile (ReportPageTracker), and
// otherwise refreshed from the live totals, once a second while it is in front. The sheet's
// Export and the clearing of the history reach it as messages.
class CReportPage : public ui::CPropertyPage {
 public:
  CReportPage(HINSTANCE instance, UINT templateId, CSummarySheet& sheet)
      : CPropertyPage(instance, templateId), m_sheet(sheet) {}

 protected:
  bool OnSetActive() override;
  // The refresh timer, the sheet's adapter, export and clear messages, and the page's end.
  // A page handles its own messages first and passes the rest here; at WM_DESTROY it frees
  // what is its own and then passes it on too.
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
  // The end of OnInitDialog: the page is built for the sheet's adapter and starts following.
  void StartFollowing();
  // Reads the log for the adapter the tracker holds and shows it.
  virtual void Build() = 0;
  // The current period follows the live totals.
  virtual void Refresh() = 0;
  // The sheet's Export pressed while this page is in front.
  virtual void Export() = 0;
  // The history was cleared: the page shows it empty.
  virtual void ClearHistory() = 0;
  // Today's totals of the entry shown; 0 without one.
  TrafficPair Live() const;

  CSummarySheet& m_sheet;
  ReportPageTracker m_tracker;
  const AdapterEntry* m_entry = nullptr;
};

}  // namespace vantrel
