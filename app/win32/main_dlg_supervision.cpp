// CMainDlg: keeping the service mode true. While ServiceEnabled is 1 the program looks at the
// service at start-up and once a minute (asking the SCM never waits on this thread); the
// decision is PlanServiceSupervision's, the steps are here: a stopped service started on a
// thread of its own, the log taken over when the service does not run (or a dead one left it
// unwritten), handed back before the service starts again, and the mode switched off when
// the service is not installed. The user is told once per run.
#include <system_error>
#include <thread>

#include "app/logic/main_messages.h"
#include "app/win32/main_dlg.h"
#include "app/win32/service_waits.h"

namespace vantrel {

namespace {

// A started service must still run a moment later: one that cannot open the log or is not
// enabled in the settings stops by itself right after reporting that it runs.
constexpr DWORD kStartSettleMilliseconds = 3000;
// How long after a record moment the service's records are read: its tick runs at its own
// phase of the second and may be late on a busy machine.
constexpr ULONGLONG kRecordObservationDelayMilliseconds = 10000;

bool StartAndStayRunning() {
  ScmServiceState scm;
  if (!scm.StartServiceAndWait(kServiceName)) return false;
  Sleep(kStartSettleMilliseconds);
  return scm.QueryServiceState(kServiceName) == kServiceRunning;
}

}  // namespace

void CMainDlg::SuperviseOnTick() {
  ShowPendingNotice();
  if (!ServiceMode()) return;
  // A little after a record moment the service's records are in the log: what they say pairs
  // with what this program had counted then.
  if (ServiceWritesLog() && m_supervision.baseline.ObservationDue() &&
      GetTickCount64() - m_supervision.notedAt >= kRecordObservationDelayMilliseconds) {
    TodayTotals logged;
    if (m_log.ReadTodayTotals(m_adapters, Today(), &logged)) m_supervision.baseline.Observe(logged);
  }
  if (GetTickCount64() - m_supervision.lastLook >= kSupervisionIntervalMilliseconds) SuperviseService();
}

void CMainDlg::SuperviseService() {
  m_supervision.lastLook = GetTickCount64();
  if (!ServiceMode() || m_supervision.starting || m_supervision.applying) return;
  ServiceLook seen = m_serviceState.LookAtService(kServiceName);
  switch (PlanServiceSupervision(m_supervision.writer, seen)) {
    case SupervisionStep::None:
      break;
    case SupervisionStep::ProbeLog:
    case SupervisionStep::TakeLog:
      // Owning the log works only when nobody else owns it: then nobody writes it.
      CountWithoutService();
      break;
    case SupervisionStep::StartService:
      // A service that stopped without writing its last seconds (killed, crashed) left the
      // log behind what this program counted: the log is brought up to date first.
      if (TakeLogAsOwner()) HandLogToService();
      MirrorSettingsForService();
      StartServiceInBackground();
      break;
    case SupervisionStep::HandBackAndStart:
      // As switching the mode on does; the service must never find the log held by this
      // program.
      MirrorSettingsForService();
      HandLogToService();
      StartServiceInBackground();
      break;
    case SupervisionStep::SwitchOff:
      SwitchServiceModeOff();
      break;
  }
  // A reader whose log could not be opened (the service had not made it yet) tries again.
  if (ServiceMode() && m_supervision.writer == LogWriter::Service && !m_log.IsOpen() && !m_supervision.starting)
    m_log.OpenTrafficLog();
}

void CMainDlg::StartServiceInBackground() {
  m_supervision.starting = true;
  if (RunInBackground(&StartAndStayRunning, m_hwnd, UM_SERVICE_STARTED,
                      static_cast<LPARAM>(m_supervision.generation)))
    return;
  m_supervision.starting = false;
  CountWithoutService();
}

void CMainDlg::OnServiceStarted(bool running, LPARAM generation) {
  m_supervision.starting = false;
  // An apply since then has decided on its own.
  if (static_cast<UINT_PTR>(generation) != m_supervision.generation || !ServiceMode()) return;
  if (running) {
    if (!m_log.IsOpen()) m_log.OpenTrafficLog();
    return;
  }
  CountWithoutService();
}

bool CMainDlg::CountWithoutService() {
  bool wasProgram = m_supervision.writer == LogWriter::Program;
  if (!TakeLogAsOwner()) return false;
  if (!wasProgram) {
    if (m_options.notificationEnabled) PrepareNotification();
    StartRateRecording();  // the service records no rates now
  }
  Tell(kServiceNotRunningNotice, &m_supervision.toldNotRunning);
  return true;
}

void CMainDlg::SwitchServiceModeOff() {
  m_service.key.enabled = 0;
  WriteServiceKey(SettingsRoot::CurrentUser);
  // Only an administrator can; the per-user switch is the one this program reads.
  WriteServiceKey(SettingsRoot::LocalMachine);
  bool wasProgram = m_supervision.writer == LogWriter::Program;
  m_log.SetServiceMode(false);
  if (!TakeLogAsOwner() && !m_log.IsOpen()) PostMessageW(m_hwnd, UM_LOG_OPEN_FAILED, 0, 0);
  if (!wasProgram && m_options.notificationEnabled) PrepareNotification();
  StartRateRecording();
  Tell(kServiceNotInstalledNotice, &m_supervision.toldNotInstalled);
}

void CMainDlg::Tell(const wchar_t* text, bool* told) {
  if (*told) return;
  *told = true;
  // The tray icon may not be there before the first tick: the next tick shows it.
  m_supervision.pendingNotice = text;
}

void CMainDlg::ShowPendingNotice() {
  if (m_supervision.pendingNotice.empty()) return;
  std::wstring text = std::move(m_supervision.pendingNotice);
  m_supervision.pendingNotice.clear();
  if (m_options.dispIconSystray && m_tray.ShowBalloon(kAppCaption, text)) return;
  // No tray icon: a message box of its own thread, which leaves the graph and the tick alone.
  try {
    std::thread([text] { MessageBoxW(nullptr, text.c_str(), kAppCaption, MB_OK | MB_ICONINFORMATION); }).detach();
  } catch (const std::system_error&) {
  }
}

}  // namespace vantrel
