// CMainDlg: the commands of the pop-up menu and the accelerators, the menu's update rules,
// the context menu, the tray's mouse, the hot key, and the routing of the windows that this
// version does not have.
#include <memory>

#include "app/logic/main_messages.h"
#include "app/res/resource.h"
#include "app/win32/main_dlg.h"
#include "platform/text.h"
#include "ui/dpi.h"

namespace vantrel {

void CMainDlg::ShowMessage(const std::wstring& text, UINT icon) {
  MessageBoxW(m_hwnd, text.c_str(), kAppCaption, MB_OK | icon);
}

void CMainDlg::ShowMainWindow() {
  m_state.hiddenStartLatch = false;
  m_state.shown = true;
  ShowWindow(m_hwnd, SW_SHOW);
  SetForegroundWindow(m_hwnd);
  SetActiveWindow(m_hwnd);
  SetFocus(m_hwnd);
}

void CMainDlg::HideMainWindow() {
  ShowWindow(m_hwnd, SW_HIDE);
  m_state.shown = false;
}

bool CMainDlg::OnCommand(UINT id) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      // Enter and Esc reach a dialog as these; the main window has no buttons to press.
      return true;
    case ID_SHOW:
      ShowMainWindow();
      return true;
    case ID_HIDE:
      HideMainWindow();
      return true;
    case ID_OPTIONS:
      RunModalWindow([&] { OpenOptions(); });
      return true;
    case ID_TRAFFIC_REPORTS:
      RunModalWindow([&] { OpenTrafficReports(); });
      return true;
    case ID_RATES_RECORDER:
      RunModalWindow([&] { OpenRatesRecorder(); });
      return true;
    case ID_EXIT:
      PostQuitMessage(2);
      return true;
    case ID_RESET_ALL_RATES:
      for (auto& entry : m_adapters) ResetEntryRates(entry);
      return true;
    case ID_VIEW_RESET_POSITION:
      ResetWindowPosition();
      return true;
    case ID_NOTIFICATION_DIALOG:
      OnNotificationCommand();
      return true;
    case ID_OPEN_MENU:
      OpenPopupMenuAtPointerOrCentre();
      return true;
    default:
      break;
  }
  if (OnLinkCommand(id)) return true;
  if (id >= ID_ADAPTER_FIRST && id <= ID_ADAPTER_LAST) {
    OnAdapterItem(id);
    return true;
  }
  if (id >= ID_RESET_FIRST && id <= ID_RESET_LAST) {
    OnResetRates(id);
    return true;
  }
  if (const ViewToggle* toggle = FindViewToggle(id)) {
    OnViewToggle(*toggle);
    return true;
  }
  return false;
}

void CMainDlg::PushSettingsToViews(bool recaption) {
  RateViewSettings settings = ViewSettings();
  bool showIp = m_options.showIPInTitle != 0;
  for (AdapterEntry* entry : DisplayedEntries()) {
    auto* view = static_cast<CRateView*>(entry->view);
    view->ApplySettings(settings, false);
    if (recaption) view->SetCaption(EntryTitle(*entry, showIp));
    view->LayoutAndRedraw();
  }
}

void CMainDlg::OnViewToggle(const ViewToggle& toggle) {
  switch (ApplyViewToggle(toggle, m_layered, &m_options)) {
    case ToggleOutcome::RefusedGuard:
      ShowMessage(kGraphOrTextText, MB_ICONWARNING);
      return;
    case ToggleOutcome::NoLayered:
      return;
    case ToggleOutcome::Toggled:
      break;
  }
  switch (toggle.effect) {
    case ViewEffect::Views:
    case ViewEffect::Unit:
    case ViewEffect::GraphStyle:
      PushSettingsToViews(false);
      break;
    case ViewEffect::Captions:
      PushSettingsToViews(true);
      break;
    case ViewEffect::AlwaysOnTop:
      ApplyTopmost(m_options.alwaysOnTop != 0);
      break;
    case ViewEffect::Caption:
      ApplyCaption(m_options.showCaption != 0);
      break;
    case ViewEffect::ClickThrough:
    case ViewEffect::SemiTransparent:
      ApplyLayered();
      break;
  }
  SaveOptionGroups(toggle.group, toggle.alsoMachine);
}

void CMainDlg::OnAdapterItem(UINT id) {
  AdapterEntry* entry = m_adapters.FindByAdapterCmd(id);
  if (!entry) return;
  if (!entry->view) {
    AddView(*entry);
    entry->monitored = entry->view != nullptr;
    return;
  }
  if (DisplayedEntries().size() <= 1) {
    ShowMessage(kLastAdapterText, MB_ICONWARNING);
    return;
  }
  if (RemoveView(*entry)) entry->monitored = false;
}

void CMainDlg::ResetEntryRates(AdapterEntry& entry) {
  SamplingTick::ResetRates(entry);
  if (entry.view) static_cast<CRateView*>(entry.view)->Reset();
}

void CMainDlg::OnResetRates(UINT id) {
  if (AdapterEntry* entry = m_adapters.FindByResetCmd(id)) ResetEntryRates(*entry);
}

void CMainDlg::OnNotificationCommand() {
  if (CtrlNShowsDialog(m_options.notificationEnabled != 0, m_alerts.state()))
    m_alerts.ShowDialog(*this);
  else
    Beep(300, 100);
}

void CMainDlg::OnInitMenuPopup(HMENU menu) {
  MenuContext context;
  context.shown = m_state.shown;
  context.modalOpen = m_state.modalOpen;
  context.layered = m_layered;
  context.options = &m_options;
  context.adapters = &m_adapters;
  m_menu.UpdateItems(menu, [&](UINT id, ui::MenuItemUpdate* update) {
    MenuItemRule rule;
    if (!RuleForMenuItem(id, context, &rule)) return false;
    update->enabled = rule.enabled;
    update->checked = rule.checked;
    update->radio = rule.radio;
    update->setText = rule.setText;
    update->text = rule.text;
    return true;
  });
}

void CMainDlg::OpenPopupMenu(POINT screen) {
  HMENU popup = m_menu.SubMenu(kPopupMenuIndex);
  // Measured and drawn for the screen it opens on (the tray's may differ from the window's).
  m_menu.SetDpi(ui::DpiAtPoint(screen));
  if (popup) TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hwnd, nullptr);
}

void CMainDlg::OpenPopupMenuAtPointerOrCentre() {
  POINT pt;
  GetCursorPos(&pt);
  POINT client = pt;
  ScreenToClient(m_hwnd, &client);
  RECT rc;
  GetClientRect(m_hwnd, &rc);
  if (!PtInRect(&rc, client)) {
    pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(m_hwnd, &pt);
  }
  OpenPopupMenu(pt);
}

void CMainDlg::OnTrayNotify(LPARAM mouseMessage) {
  switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONUP:
      if (m_state.shown)
        HideMainWindow();
      else
        ShowMainWindow();
      break;
    case WM_RBUTTONUP: {
      SetForegroundWindow(m_hwnd);
      POINT pt;
      GetCursorPos(&pt);
      OpenPopupMenu(pt);
      // Lets the menu close when the user clicks elsewhere.
      PostMessageW(m_hwnd, WM_NULL, 0, 0);
      break;
    }
    default:
      break;
  }
}

void CMainDlg::OnHotKey(int id) {
  if (id == kHotkeyId && m_options.hotkeyEnabled) ShowMainWindow();
}

void CMainDlg::OnEmailResult(LPARAM error) {
  std::unique_ptr<char[]> text(reinterpret_cast<char*>(error));
  if (!text) return;
  ShowMessage(EmailFailedText(AnsiToWide(text.get())), MB_ICONINFORMATION);
}

}  // namespace vantrel
