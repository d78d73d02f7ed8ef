#include "app/win32/opt_adapters_page.h"

#include "app/logic/options_apply.h"
#include "app/res/options_ids.h"

namespace vantrel {

COptAdaptersPage::COptAdaptersPage(COptionsSheet& sheet) : COptionsPage(sheet, IDD_OPT_ADAPTERS) {}

void COptAdaptersPage::InitPage() {}

PageCheck COptAdaptersPage::CheckPage() { return PageCheck{}; }

bool COptAdaptersPage::SendToMain() { return OptionsSheet().ApplyToMain(kPageAdapters, &m_values); }

bool COptAdaptersPage::OnPageMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

}  // namespace vantrel
