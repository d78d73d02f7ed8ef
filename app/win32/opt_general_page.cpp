#include "app/win32/opt_general_page.h"

#include "app/logic/options_apply.h"
#include "app/res/options_ids.h"

namespace vantrel {

COptGeneralPage::COptGeneralPage(COptionsSheet& sheet) : COptionsPage(sheet, IDD_OPT_GENERAL), m_values(sheet.Data().options), m_layered(sheet.Data().layered) {}

void COptGeneralPage::InitPage() {}

PageCheck COptGeneralPage::CheckPage() { return PageCheck{}; }

bool COptGeneralPage::SendToMain() { return OptionsSheet().ApplyToMain(kPageGeneral, &m_values); }

bool COptGeneralPage::OnPageMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

}  // namespace vantrel
