#include "app/win32/opt_graph_page.h"

#include "app/logic/options_apply.h"
#include "app/res/options_ids.h"

namespace vantrel {

COptGraphTextPage::COptGraphTextPage(COptionsSheet& sheet) : COptionsPage(sheet, IDD_OPT_GRAPH_TEXT), m_values(sheet.Data().options) {}

void COptGraphTextPage::InitPage() {}

PageCheck COptGraphTextPage::CheckPage() { return PageCheck{}; }

bool COptGraphTextPage::SendToMain() { return OptionsSheet().ApplyToMain(kPageGraphText, &m_values); }

bool COptGraphTextPage::OnPageMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

}  // namespace vantrel
