// CNotifyDlg: the notification dialog.
#include "app/win32/notify_dlg.h"

#include <commctrl.h>
#include <mmsystem.h>

#include "app/logic/main_messages.h"
#include "app/logic/notify_dialog_logic.h"
#include "app/res/notify_ids.h"
#include "notify/beeper.h"

namespace vantrel {

static_assert(IDC_NOTIFYDLG_SENTENCE == kNotifyDlgSentence && IDC_NOTIFYDLG_CLOSE == kNotifyDlgClose &&
                  IDC_NOTIFYDLG_AGAIN == kNotifyDlgAgain && IDC_NOTIFYDLG_MINUTES == kNotifyDlgMinutes,
              "the template's ids are the dialog's");

namespace {

constexpr COLORREF kSentenceColour = RGB(238, 0, 0);
constexpr COLORREF kTotalColour = RGB(0, 0, 238);

std::wstring ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  int n = control ? GetWindowTextLengthW(control) : 0;
  std::wstring text(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
  if (control) GetWindowTextW(control, text.data(), n + 1);
  text.resize(wcslen(text.c_str()));
  return text;
}

void CentreOnDesktop(HWND hwnd) {
  RECT r, desk;
  GetWindowRect(hwnd, &r);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &desk, 0);
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hwnd, nullptr, desk.left + (desk.right - desk.left - w) / 2, desk.top + (desk.bottom - desk.top - h) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void CNotifyDlg::Run(HINSTANCE instance, HWND owner) {
  m_choice = m_in.choice > 1 ? 0 : m_in.choice;
  m_minutes = m_in.minutes < 1 ? 1 : m_in.minutes;
  DoModal(instance, IDD_NOTIFICATION, owner);
}

BOOL CNotifyDlg::OnInitDialog() {
  // The two lines in their own bold fonts (heights at 96 DPI, scaled to the dialog's).
  ui::SetSharedFont(GetDlgItem(m_hwnd, IDC_NOTIFYDLG_SENTENCE), ui::FontDescription{L"Tahoma", -14, FW_BOLD});
  ui::SetSharedFont(GetDlgItem(m_hwnd, IDC_NOTIFYDLG_RUNNING_TOTAL), ui::FontDescription{L"Tahoma", -12, FW_BOLD});
  if (m_in.icon) SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_in.icon));
  if (m_in.smallIcon) SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_in.smallIcon));
  // Shown in the task bar, so that an alert behind other windows is still found.
  SetWindowLongPtrW(m_hwnd, GWL_EXSTYLE, GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
  SetWindowTextW(m_hwnd, NotifyDialogCaption().c_str());
  CentreOnDesktop(m_hwnd);

  SetDlgItemTextW(m_hwnd, IDC_NOTIFYDLG_SENTENCE,
                  AlertSentence(m_in.rule, m_in.displayName, m_in.today, m_in.weekStart, m_in.monthStart,
                                m_in.dateFormat)
                      .c_str());
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFYDLG_MINUTES_SPIN, UDM_SETRANGE32, kNotifyDlgMinMinutes, kNotifyDlgMaxMinutes);
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFYDLG_MINUTES_SPIN, UDM_SETPOS32, 0, m_minutes);
  CheckRadioButton(m_hwnd, IDC_NOTIFYDLG_NEVER, IDC_NOTIFYDLG_AGAIN,
                   m_choice == 1 ? IDC_NOTIFYDLG_AGAIN : IDC_NOTIFYDLG_NEVER);

  m_soundStarted = StartAlertSounds(
      m_in.rule,
      [](const std::wstring& file) {
        return PlaySoundW(file.c_str(), nullptr, SND_FILENAME | SND_LOOP | SND_NODEFAULT | SND_ASYNC) != FALSE;
      },
      [](int32_t choice) {
        BeepTone tone = BeepChoiceTone(choice);
        return ProgramBeeper().StartBeeper(tone.frequency, tone.duration, 0);
      });
  EnableWindow(GetDlgItem(m_hwnd, IDC_NOTIFYDLG_STOP_SOUND), m_soundStarted);

  UpdateRunningTotal();
  SetTimer(m_hwnd, kNotifyDlgTimer, 1000, nullptr);
  EnableMinutes(false);
  if (m_choice == 1) {
    SetFocus(GetDlgItem(m_hwnd, IDC_NOTIFYDLG_MINUTES));
    return FALSE;
  }
  return TRUE;
}

int CNotifyDlg::SelectedChoice() const { return IsDlgButtonChecked(m_hwnd, IDC_NOTIFYDLG_AGAIN) == BST_CHECKED ? 1 : 0; }

void CNotifyDlg::EnableMinutes(bool focus) {
  bool on = SelectedChoice() == 1;
  EnableWindow(GetDlgItem(m_hwnd, IDC_NOTIFYDLG_MINUTES), on);
  EnableWindow(GetDlgItem(m_hwnd, IDC_NOTIFYDLG_MINUTES_SPIN), on);
  if (on && focus) SetFocus(GetDlgItem(m_hwnd, IDC_NOTIFYDLG_MINUTES));
}

void CNotifyDlg::UpdateRunningTotal() {
  std::wstring line = RunningTotalLine(m_in.rule.direction, UsedTotal(m_in.prepared, m_in.rule.direction));
  // Replaced only when it changed, so the line does not flicker.
  if (line == m_runningTotal) return;
  m_runningTotal = line;
  SetDlgItemTextW(m_hwnd, IDC_NOTIFYDLG_RUNNING_TOTAL, line.c_str());
}

void CNotifyDlg::StopSound() {
  PlaySoundW(nullptr, nullptr, 0);
  ProgramBeeper().StopBeeper();
}

void CNotifyDlg::OnClose() {
  NextAlertChoice next = ReadNextAlertChoice(SelectedChoice(), ControlText(m_hwnd, IDC_NOTIFYDLG_MINUTES));
  if (!next.accepted) {
    MessageBoxW(m_hwnd, kMinutesRefusedText, kAppCaption, MB_OK | MB_ICONINFORMATION);
    SetFocus(GetDlgItem(m_hwnd, IDC_NOTIFYDLG_MINUTES));
    return;
  }
  m_choice = next.choice;
  m_minutes = next.minutes;
  StopSound();
  KillTimer(m_hwnd, kNotifyDlgTimer);
  EndModal(IDOK);
}

void CNotifyDlg::CloseForShutdown() {
  if (!m_hwnd) return;
  KillTimer(m_hwnd, kNotifyDlgTimer);
  m_in.prepared.watched = nullptr;
  StopSound();
  NextAlertChoice next = ReadNextAlertChoice(SelectedChoice(), ControlText(m_hwnd, IDC_NOTIFYDLG_MINUTES));
  if (next.accepted) {
    m_choice = next.choice;
    m_minutes = next.minutes;
  }
  EndModal(IDCANCEL);
}

bool CNotifyDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_NOTIFYDLG_STOP_SOUND:
          if (HIWORD(wp) != BN_CLICKED) return false;
          StopSound();
          EnableWindow(GetDlgItem(m_hwnd, IDC_NOTIFYDLG_STOP_SOUND), FALSE);
          return true;
        case IDC_NOTIFYDLG_NEVER:
        case IDC_NOTIFYDLG_AGAIN:
          if (HIWORD(wp) != BN_CLICKED) return false;
          EnableMinutes(true);
          return true;
        case IDC_NOTIFYDLG_CLOSE:
        case IDOK:
        case IDCANCEL:
          // Escape and Enter close as the Close button does, with the same check.
          OnClose();
          return true;
        default:
          return false;
      }
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) != SC_CLOSE) return false;
      OnClose();
      return true;
    case WM_TIMER:
      if (wp != kNotifyDlgTimer) return false;
      UpdateRunningTotal();
      return true;
    case WM_CTLCOLORSTATIC: {
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      if (id != IDC_NOTIFYDLG_SENTENCE && id != IDC_NOTIFYDLG_RUNNING_TOTAL) return false;
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, id == IDC_NOTIFYDLG_SENTENCE ? kSentenceColour : kTotalColour);
      SetBkMode(dc, TRANSPARENT);
      *result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
    case WM_DESTROY:
      // Whatever closed the window, nothing keeps sounding.
      KillTimer(m_hwnd, kNotifyDlgTimer);
      StopSound();
      return false;
    default:
      return false;
  }
}

}  // namespace vantrel
