#pragma once
// The bandwidth-usage rule: more than N units downloaded, uploaded or both through one
// entry in the current week, accounting month or last D days. This holds the rule's
// evaluation (threshold, period total before today, watched entry, used total), the texts of
// an alert, and the interactive program's alert state.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/adapter_entry.h"
#include "notify/email_message.h"
#include "platform/clock.h"
#include "settings/notification_rule.h"
#include "trafficlog/periods.h"

namespace vantrel {

enum class AlertState { Armed = 0, DialogOpen = 1, Alerted = 2 };

// Unit codes 0 Bytes .. 4 TB; any other code behaves as 0.
uint64_t UnitMultiplier(int32_t unit);
std::wstring UnitWord(int32_t unit);
// "downloaded", "uploaded", "downloaded and uploaded" (directions 0, 1, anything else).
std::wstring DirectionWord(int32_t direction);
// "Downloaded", "Uploaded", "Downloaded and uploaded", for the running-total line.
std::wstring DirectionTitle(int32_t direction);
// "week", "month" or "%d days".
std::wstring PeriodWord(const NotificationRule& rule);

// The threshold in bytes: the number text read as a decimal number (its leading part, as
// wcstod reads it), times the unit's multiplier, truncated; 0 for no number, and the largest
// count for a figure too large to hold.
uint64_t ThresholdBytes(const NotificationRule& rule);
// The rule's period holding `today`: the week (weekStart), the month (monthStart) or the
// last D days.
Period RulePeriod(const NotificationRule& rule, const LocalTime& today, int weekStart, int monthStart);

// The log's total of one entry in the rule's period, today left out: (kind, identifier,
// period type, direction, D). The caller binds the log, today and the start days.
using PeriodTotalFn =
    std::function<uint64_t(uint32_t kind, std::string_view id, int periodType, int direction, int days)>;

struct PreparedRule {
  uint64_t threshold = 0;
  uint64_t periodTotal = 0;       // before today
  AdapterEntry* watched = nullptr;  // the first entry of the rule's kind (and identifier)
};

// Rule preparation: threshold, period total before today, watched entry.
PreparedRule PrepareRule(const NotificationRule& rule, MonitoredList& list, const PeriodTotalFn& periodTotal);
// The watched entry's today figure for the direction plus the period total before today.
uint64_t UsedTotal(const PreparedRule& prepared, int32_t direction);

// The alert's texts.
EmailPlaceholders AlertPlaceholders(const NotificationRule& rule, const AdapterEntry& watched, uint64_t used,
                                    const LocalTime& today, int weekStart, int monthStart, uint32_t dateFormat,
                                    bool showIp);
// "Dear user, more than %s %s have been %s through \"%s\" in last %s (%s -- %s)."
std::wstring AlertSentence(const NotificationRule& rule, const std::wstring& displayName, const LocalTime& today,
                           int weekStart, int monthStart, uint32_t dateFormat);
// "%s so far: %s", the used total in byte units.
std::wstring RunningTotalLine(int32_t direction, uint64_t used);

// What the interactive program does when the rule fires.
class IAlertActions {
 public:
  virtual ~IAlertActions() = default;
  virtual void SendAlertEmail(uint64_t used) = 0;
  virtual void LaunchProgram(const std::wstring& path) = 0;
  // Shows the notification dialog modally (the tick goes on meanwhile) and returns the
  // next-alert choice (0 never, 1 after minutes) and the minutes.
  virtual void ShowNotificationDialog(uint32_t* nextAlertType, int32_t* nextAlertMinutes) = 0;
  // Saves NextAlertType and NextAlertMin per user.
  virtual void SaveNextAlert(uint32_t nextAlertType, int32_t nextAlertMinutes) = 0;
};

// The interactive program's notification state.
class AlertMonitor {
 public:
  // Rule preparation: computes the rule's figures and re-arms.
  void Prepare(const NotificationRule& rule, MonitoredList& list, const PeriodTotalFn& periodTotal);
  // Back to Armed with no countdown. While the dialog is open the re-arm waits until it
  // closes: arming under an open dialog would let the next tick open a second one and send a
  // second e-mail for the same alert.
  void Rearm();
  bool rearmPending() const { return m_rearmPending; }
  // Once per tick while notification is on. `serviceSendsEmail`: the service is enabled and
  // sends the notification e-mail itself.
  void CheckNotification(const NotificationRule& rule, bool serviceSendsEmail, IAlertActions& actions);
  // Shows the dialog and takes back the next-alert choice (also command 32805 while Alerted).
  void ShowDialog(IAlertActions& actions);

  AlertState state() const { return m_state; }
  int32_t countdown() const { return m_countdown; }
  const PreparedRule& prepared() const { return m_prepared; }
  uint32_t nextAlertType() const { return m_nextAlertType; }
  int32_t nextAlertMin() const { return m_nextAlertMin; }
  // The monitored list is going (the program ends): nothing is watched any more.
  void ForgetWatchedEntry() { m_prepared.watched = nullptr; }
  void SetNextAlert(uint32_t type, int32_t minutes) {
    m_nextAlertType = type > 1 ? 0 : type;
    m_nextAlertMin = minutes < 1 ? 1 : minutes;
  }

 private:
  AlertState m_state = AlertState::Armed;
  int32_t m_countdown = 0;
  PreparedRule m_prepared;
  uint32_t m_nextAlertType = 0;
  int32_t m_nextAlertMin = 5;
  bool m_rearmPending = false;
};

// Command 32805: true when it shows the dialog (notification on and Alerted); otherwise the
// program beeps at 300 Hz for 100 ms.
bool CtrlNShowsDialog(bool notificationEnabled, AlertState state);

}  // namespace vantrel
