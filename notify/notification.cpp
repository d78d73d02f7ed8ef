#include "notify/notification.h"

#include <cmath>
#include <cwchar>
#include <limits>

#include "engine/formatters.h"

namespace vantrel {

uint64_t UnitMultiplier(int32_t unit) {
  switch (unit) {
    case 1: return 1024ull;
    case 2: return 1048576ull;
    case 3: return 1073741824ull;
    case 4: return 1099511627776ull;
    default: return 1;
  }
}

std::wstring UnitWord(int32_t unit) {
  switch (unit) {
    case 1: return L"KB";
    case 2: return L"MB";
    case 3: return L"GB";
    case 4: return L"TB";
    default: return L"Bytes";
  }
}

std::wstring DirectionWord(int32_t direction) {
  if (direction == 0) return L"downloaded";
  if (direction == 1) return L"uploaded";
  return L"downloaded and uploaded";
}

std::wstring DirectionTitle(int32_t direction) {
  if (direction == 0) return L"Downloaded";
  if (direction == 1) return L"Uploaded";
  return L"Downloaded and uploaded";
}

std::wstring PeriodWord(const NotificationRule& rule) {
  if (rule.period == 0) return L"week";
  if (rule.period == 1) return L"month";
  return std::to_wstring(rule.days < 1 ? 1 : rule.days) + L" days";
}

uint64_t ThresholdBytes(const NotificationRule& rule) {
  // wcstod in the "C" locale reads the leading decimal number: "1.2.3" is 1.2, ".5" is 0.5.
  double number = std::wcstod(rule.number.c_str(), nullptr);
  if (!(number > 0)) return 0;  // also NaN
  double bytes = number * static_cast<double>(UnitMultiplier(rule.unit));
  if (bytes >= 18446744073709551615.0) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(bytes);
}

Period RulePeriod(const NotificationRule& rule, const LocalTime& today, int weekStart, int monthStart) {
  Date d{today.year, today.month, today.day};
  if (rule.period == 0) return WeekPeriod(d, today.dayOfWeek, weekStart);
  if (rule.period == 1) return MonthPeriod(d, monthStart);
  return LastDaysPeriod(d, rule.days < 1 ? 1 : rule.days);
}

PreparedRule PrepareRule(const NotificationRule& rule, MonitoredList& list, const PeriodTotalFn& periodTotal) {
  PreparedRule p;
  p.threshold = ThresholdBytes(rule);
  int periodType = rule.period == 0 || rule.period == 1 ? rule.period : 2;
  if (periodTotal)
    p.periodTotal = periodTotal(static_cast<uint32_t>(rule.kind), rule.id, periodType, rule.direction,
                                rule.days < 1 ? 1 : rule.days);
  if (rule.kind == static_cast<int32_t>(kKindAllConnections) || rule.kind == static_cast<int32_t>(kKindDialUp) ||
      rule.kind == static_cast<int32_t>(kKindAdapter))
    p.watched = list.Find(static_cast<uint32_t>(rule.kind), rule.id);
  return p;
}

uint64_t UsedTotal(const PreparedRule& p, int32_t direction) {
  if (!p.watched) return p.periodTotal;
  uint64_t today = direction == 0   ? p.watched->todayDown
                   : direction == 1 ? p.watched->todayUp
                                    : p.watched->todayDown + p.watched->todayUp;
  return today + p.periodTotal;
}

namespace {
std::wstring PeriodText(const NotificationRule& rule, const LocalTime& today, int weekStart, int monthStart,
                        uint32_t dateFormat) {
  Period p = RulePeriod(rule, today, weekStart, monthStart);
  return PeriodWord(rule) + L" (" + FormatDate(p.first.year, p.first.month, p.first.day, dateFormat) + L" -- " +
         FormatDate(today.year, today.month, today.day, dateFormat) + L")";
}
}  // namespace

EmailPlaceholders AlertPlaceholders(const NotificationRule& rule, const AdapterEntry& watched, uint64_t used,
                                    const LocalTime& today, int weekStart, int monthStart, uint32_t dateFormat,
                                    bool showIp) {
  EmailPlaceholders v;
  v.threshold = rule.number + L" " + UnitWord(rule.unit);
  v.direction = DirectionWord(rule.direction);
  v.adapter = EntryTitle(watched, showIp);
  v.period = PeriodText(rule, today, weekStart, monthStart, dateFormat);
  v.used = FormatByteCount(static_cast<int64_t>(used), true);
  return v;
}

std::wstring AlertSentence(const NotificationRule& rule, const std::wstring& displayName, const LocalTime& today,
                           int weekStart, int monthStart, uint32_t dateFormat) {
  return L"Dear user, more than " + rule.number + L" " + UnitWord(rule.unit) + L" have been " +
         DirectionWord(rule.direction) + L" through \"" + displayName + L"\" in last " +
         PeriodText(rule, today, weekStart, monthStart, dateFormat) + L".";
}

std::wstring RunningTotalLine(int32_t direction, uint64_t used) {
  return DirectionTitle(direction) + L" so far: " + FormatByteCount(static_cast<int64_t>(used), true);
}

void AlertMonitor::Prepare(const NotificationRule& rule, MonitoredList& list, const PeriodTotalFn& periodTotal) {
  m_prepared = PrepareRule(rule, list, periodTotal);
  Rearm();
}

void AlertMonitor::Rearm() {
  if (m_state == AlertState::DialogOpen) {
    m_rearmPending = true;
    return;
  }
  m_state = AlertState::Armed;
  m_countdown = 0;
}

void AlertMonitor::CheckNotification(const NotificationRule& rule, bool serviceSendsEmail, IAlertActions& actions) {
  if (!m_prepared.watched || m_state == AlertState::DialogOpen) return;
  bool realert = false;
  if (m_state == AlertState::Alerted) {
    if (m_nextAlertType == 0) return;
    if (--m_countdown >= 0) return;
    m_state = AlertState::Armed;
    realert = true;
  }
  uint64_t used = UsedTotal(m_prepared, rule.direction);
  if (used <= m_prepared.threshold) return;
  // A re-alert only shows the dialog again; e-mail and program launch happen once per arming.
  if (!realert) {
    if (rule.sendEmail && !rule.recipients.empty() && !serviceSendsEmail) actions.SendAlertEmail(used);
    if (rule.runProgram && !rule.programPath.empty()) actions.LaunchProgram(rule.programPath);
  }
  ShowDialog(actions);
}

void AlertMonitor::ShowDialog(IAlertActions& actions) {
  m_state = AlertState::DialogOpen;
  uint32_t type = m_nextAlertType;
  int32_t minutes = m_nextAlertMin;
  actions.ShowNotificationDialog(&type, &minutes);
  m_state = AlertState::Alerted;
  SetNextAlert(type, minutes);
  if (m_nextAlertType == 1) {
    int64_t ticks = static_cast<int64_t>(m_nextAlertMin) * 60;
    m_countdown = ticks > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                               : static_cast<int32_t>(ticks);
  }
  actions.SaveNextAlert(m_nextAlertType, m_nextAlertMin);
  if (m_rearmPending) {
    // The re-arm that came while the dialog was open (a change of day, an applied rule).
    m_rearmPending = false;
    Rearm();
  }
}

bool CtrlNShowsDialog(bool notificationEnabled, AlertState state) {
  return notificationEnabled && state == AlertState::Alerted;
}

}  // namespace vantrel
