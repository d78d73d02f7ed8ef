// CMainDlg: opening the Options sheet with copies of what its pages edit, and taking back what
// a page hands over with UM_APPLY_OPTIONS.
#include "app/logic/main_messages.h"
#include "app/logic/options_pages.h"
#include "app/win32/main_dlg.h"
#include "app/win32/options_sheet.h"

namespace vantrel {

void CMainDlg::OpenOptions() {
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  OptionsSheetData data;
  data.options = m_options;
  data.layered = m_layered;
  data.adapters = OptionsAdaptersOf(m_adapters);
  data.email = m_email;
  data.service = ServicePageValues();
  data.serviceAdapters = m_adapters.DataCopy();
  data.metrics = MetricsPageValues();
  COptionsSheet sheet(m_instance, m_hwnd, m_icon, data, m_lastOptionsPage);
  SetCursor(previous);
  sheet.Run();
  m_lastOptionsPage = sheet.PageIndex();
  // A copy restarted as administrator takes over from here.
  if (m_endAfterOptions) EndModal(IDCANCEL);
}

LRESULT CMainDlg::ApplyOptionsPage(WPARAM page, LPARAM data) {
  if (!data) return FALSE;
  switch (page) {
    case kPageGeneral:
      return ApplyGeneralPage(*reinterpret_cast<const Options*>(data)) ? TRUE : FALSE;
    case kPageGraphText:
      ApplyGraphTextPage(*reinterpret_cast<const Options*>(data));
      return TRUE;
    case kPageAdapters:
      ApplyAdaptersPage(*reinterpret_cast<const AdaptersPageValues*>(data));
      return TRUE;
    case kPageNotification:
      return ApplyNotificationPage(*reinterpret_cast<const NotificationPageData*>(data)) ? TRUE : FALSE;
    case kPageService:
      ApplyServiceSettings(*reinterpret_cast<const ServicePageData*>(data));
      return TRUE;
    case kPageMetrics:
      ApplyMetricsPage(*reinterpret_cast<MetricsPageData*>(data));
      return TRUE;
    default:
      return FALSE;
  }
}

bool CMainDlg::ApplyGeneralPage(const Options& page) {
  GeneralApplyPlan plan = PlanGeneralApply(m_options, page, m_layered);
  if (plan.refused) {
    ShowMessage(kGraphOrTextText, MB_ICONWARNING);
    return false;
  }
  TakeGeneralValues(page, m_layered, &m_options);
  if (plan.hotkey != HotkeyAction::Keep) RegisterHotKeyIfEnabled();
  if (plan.notificationRecompute) PrepareNotification();
  if (plan.topmost) ApplyTopmost(m_options.alwaysOnTop != 0);
  if (plan.caption) ApplyCaption(m_options.showCaption != 0);
  if (plan.layered) ApplyLayered();
  if (plan.startWithWindows) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) SetStartWithWindows(m_store, m_options.startWithWindows != 0, path);
  }
  PushSettingsToViews(plan.recaption);
  if (plan.margins) {
    PixelRect client = ClientRectangle();
    OnSize(client.Width(), client.Height());
    InvalidateRect(m_hwnd, nullptr, TRUE);
  }
  SaveOptionGroups(kGroupDisplay, false);
  SaveOptionGroups(kGroupGeneral, true);
  return true;
}

void CMainDlg::ApplyGraphTextPage(const Options& page) {
  TakeGraphTextValues(page, &m_options);
  RecreatePens();
  PushSettingsToViews(false);
  SaveOptionGroups(kGraphTextPageGroups, false);
}

void CMainDlg::ApplyAdaptersPage(const AdaptersPageValues& page) {
  std::vector<AdapterEntry*> entries;
  for (AdapterEntry& e : m_adapters) entries.push_back(&e);
  AdaptersApplyPlan plan = PlanAdaptersApply(OptionsAdaptersOf(m_adapters), TraySettingsOf(m_options), page);

  bool showIp = m_options.showIPInTitle != 0;
  for (const AdapterApplyStep& step : plan.steps) {
    AdapterEntry& entry = *entries[step.entry];
    const OptionsAdapter& values = page.adapters[step.pageAdapter];
    entry.displayName = values.name;
    entry.connRateBps = values.connRateBps;
    if (auto* view = static_cast<CRateView*>(entry.view)) {
      view->SetFixedScale(entry.connRateBps != 0, entry.connRateBps / 8, false);
      view->SetCaption(EntryTitle(entry, showIp));
      view->LayoutAndRedraw();
    }
  }

  // Views are added before any is removed, so that the window never runs out of views on the
  // way (a view is only removed while another one is shown).
  bool viewsChange = false;
  for (const AdapterApplyStep& step : plan.steps) viewsChange = viewsChange || step.addView || step.removeView;
  if (viewsChange) SendMessageW(m_hwnd, WM_SETREDRAW, FALSE, 0);
  for (const AdapterApplyStep& step : plan.steps) {
    AdapterEntry& entry = *entries[step.entry];
    if (step.addView && !entry.view) {
      AddView(entry);
      entry.monitored = entry.view != nullptr;
    }
  }
  for (const AdapterApplyStep& step : plan.steps) {
    AdapterEntry& entry = *entries[step.entry];
    if (step.removeView && entry.view && RemoveView(entry)) entry.monitored = false;
  }
  if (viewsChange) {
    SendMessageW(m_hwnd, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  }

  TakeTraySettings(page.tray, &m_options);
  if (plan.deleteTrayIcon) m_tray.Delete();
  if (plan.addTrayIcon) {
    m_tray.ForgetCurrentIcon();
    m_tray.AddInitial();
  }
  if (m_tick) m_tick->settings() = CurrentTickSettings();

  SaveAdapters();
  SaveOptionGroups(kGroupTray, false);
}

}  // namespace vantrel
