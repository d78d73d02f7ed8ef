// CMainDlg: the Notification page's apply and the notification dialog under the modal rules.
#include "app/win32/main_dlg.h"
#include "app/win32/notify_dlg.h"

namespace vantrel {

bool CMainDlg::ApplyNotificationPage(const NotificationPageData& page) {
  m_options.notificationEnabled = page.enabled ? 1 : 0;
  if (m_options.notificationEnabled) {
    m_options.notification = page.rule;
    m_email = page.email;
    PrepareNotification();
    WriteEmailSettings(m_store, SettingsRoot::CurrentUser, m_email);
    if (ServiceMode()) WriteEmailSettings(m_store, SettingsRoot::LocalMachine, m_email);
  } else {
    // Off leaves the alert armed for the next time it is switched on.
    m_alerts.Rearm();
  }
  m_options.notification.version = kNotificationRuleVersion;
  SaveOptionGroups(kGroupNotification, true);
  return true;
}

void CMainDlg::ShowNotificationDialog(uint32_t* nextAlertType, int32_t* nextAlertMinutes) {
  const PreparedRule& prepared = m_alerts.prepared();
  if (!prepared.watched) return;
  NotifyDialogInput in;
  in.rule = m_options.notification;
  in.weekStart = static_cast<int>(m_options.weekStartDay);
  in.monthStart = static_cast<int>(m_options.monthStartDay);
  in.dateFormat = m_options.dateFormat;
  in.today = Today();
  in.displayName = prepared.watched->displayName;
  in.prepared = prepared;
  in.choice = *nextAlertType;
  in.minutes = *nextAlertMinutes;
  in.icon = m_icon;
  in.smallIcon = m_smallIcon;

  // The alert may come while another window of ours is open (the Options sheet): that one's
  // modal state stays as it was.
  bool wasModal = m_state.modalOpen;
  m_state.modalOpen = true;
  ApplyTopmost(false);
  CNotifyDlg dialog(std::move(in));
  m_notifyDialog = &dialog;
  dialog.Run(m_instance, m_hwnd);
  m_notifyDialog = nullptr;
  if (!wasModal) {
    RestoreTopmost();
    m_state.modalOpen = false;
  }
  *nextAlertType = dialog.Choice();
  *nextAlertMinutes = dialog.Minutes();
}

}  // namespace vantrel
