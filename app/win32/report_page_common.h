#pragma once
// What the Traffic Reports window's pages share: the export of the page in front (save
// dialog, file, the success question with the offer to open it) and the coloured labels.
#include <windows.h>

#include <functional>

#include "reports/report_export.h"

namespace vantrel {

// Red of the selection lines and start-day labels, blue of the summary's "Until today" line.
constexpr COLORREF kReportRed = RGB(238, 0, 0);
constexpr COLORREF kReportBlue = RGB(0, 0, 238);

// Asks for a file in the save dialog (titled for the report, text / CSV / HTML filters),
// appends the filter's extension, writes the document that `document` makes at that moment,
// and asks whether to open the file (Yes opens it with the shell). Cancelling does nothing; a
// file that cannot be created is reported.
void ExportReportWithDialog(HWND owner, ReportKind kind, const std::function<ReportDocument()>& document);

// WM_CTLCOLORSTATIC for a label drawn in `colour` on its page's background (the themed tab
// body where the sheet draws one, the dialog colour otherwise).
LRESULT ColouredLabel(HDC dc, HWND label, COLORREF colour);

// Shows a message box titled "Vantrel".
int ReportMessage(HWND owner, const std::wstring& text, UINT flags);

}  // namespace vantrel
