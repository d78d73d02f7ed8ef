#pragma once
// CMainDlg: the interactive program's main window. A dialog without controls that owns
// everything living longer than a dialog: the settings, the monitored list with each entry's
// rate view, the one-second tick, the pop-up menu, the tray and the traffic log. Its decisions
// (layout, menu rules, message texts) are in app/logic; this class measures, calls them and
// moves windows.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/logic/menu_rules.h"
#include "app/logic/metrics_page_logic.h"
#include "app/logic/notify_page_logic.h"
#include "app/logic/options_apply.h"
#include "app/logic/options_pages.h"
#include "app/logic/service_apply.h"
#include "app/logic/service_supervision.h"
#include "app/logic/summary_sheet_logic.h"
#include "app/logic/window_layout.h"
#include "app/win32/rate_view.h"
#include "app/win32/tray_icon.h"
#include "engine/monitored_list_io.h"
#include "engine/sampling_tick.h"
#include "metrics/metrics_endpoint.h"
#include "notify/email_settings.h"
#include "notify/notification.h"
#include "platform/win32/service_control.h"
#include "settings/options.h"
#include "trafficlog/traffic_log.h"
#include "ui/owner_draw_menu.h"
#include "ui/window.h"

namespace vantrel {

class CNotifyDlg;

// Private window messages; the values are fixed because other windows send them.
constexpr UINT UM_LOG_OPEN_FAILED = 0x046F;
constexpr UINT UM_APPLY_OPTIONS = 0x0481;
constexpr UINT UM_EMAIL_RESULT = 0x0485;
constexpr UINT UM_APPLY_TOPMOST = 0x049F;
constexpr UINT UM_CLEAR_HISTORY = 0x05BC;
constexpr UINT UM_TRAY_NOTIFY = 0x800A;
// A start of the service on a thread of its own has ended: wParam 1 when it runs, lParam the
// supervision's generation it was started in.
constexpr UINT UM_SERVICE_STARTED = 0x8119;
// Restart this program as administrator (the Service page asks when rights are missing);
// wParam the Options sheet. TRUE when the new copy was launched and this one is on its way
// out (the sheet closes, then the program ends).
constexpr UINT UM_RESTART_AS_ADMIN = 0x811A;

constexpr UINT_PTR IDT_TICK = 101;
constexpr UINT kTickMilliseconds = 1000;
constexpr int kHotkeyId = 8978;
constexpr UINT kHotkeyModifiers = MOD_CONTROL | MOD_SHIFT;
static_assert(UM_TRAY_NOTIFY == kTrayNotifyMessage, "the tray calls back with UM_TRAY_NOTIFY");
// Pop-up menu positions.
constexpr int kPopupMenuIndex = 0;
constexpr int kAdaptersMenuPosition = 8;
constexpr int kResetMenuPosition = 10;

// The main window's state word.
struct MainWindowState {
  bool shown = false;             // the window is visible
  bool timerRunning = false;      // IDT_TICK is set
  bool modalOpen = false;         // a modal window of ours is open
  bool hiddenStartLatch = false;  // StartMinimized: stays hidden until the first explicit show
};

// The service mode supervision's state (main_dlg_supervision.cpp).
struct ServiceSupervision {
  LogWriter writer = LogWriter::Service;  // who writes the log while the mode is on
  ULONGLONG lastLook = 0;                 // GetTickCount64 of the last look at the service
  bool starting = false;                  // a start runs on a thread of its own
  bool applying = false;                  // the Service page's apply runs: no looks meanwhile
  UINT_PTR generation = 0;                // an apply makes the answers of older starts stale
  bool toldNotRunning = false;            // each notice once per run of the program
  bool toldNotInstalled = false;
  std::wstring pendingNotice;             // shown at the next tick, once the tray icon is there
  HandBackBaseline baseline;              // what the log held while this program counted how much
  ULONGLONG notedAt = 0;                  // GetTickCount64 of the last record moment noted
};

// For the e-mail sender thread: posts UM_EMAIL_RESULT with the sender's thread id and, on
// failure, a copy of the error text that the window releases after showing it. An empty
// error means success. False when the window is gone (the copy is then released here).
bool PostEmailResult(HWND mainWindow, DWORD senderThreadId, const std::string& error);

class CMainDlg : public ui::CDialog, public ITickHooks, public IAdapterMenuHook, private IAlertActions {
 public:
  CMainDlg(HINSTANCE instance, ISettingsStore& store, IAdapterSource& source, IClock& clock);
  ~CMainDlg() override;

  // Once the window is up, the Options sheet opens on the Service page (a copy restarted as
  // administrator from there).
  void OpenServicePageAtStart() { m_openServicePageAtStart = true; }

  // Creates the window from template 102 and runs it until Exit, an outside WM_CLOSE or the
  // end of the session. Returns the loop's result.
  int Run();

  // ITickHooks: what the one-second tick feeds.
  void WriteTodayRecords(const LocalTime& date) override;
  void LoadTodayTotals(const LocalTime& newDate) override;
  void DayChanged(const LocalTime& newDate) override;
  void TrayUpdate(AdapterEntry& entry) override;
  void RecordSecond(AdapterEntry& entry, uint32_t down, uint32_t up, const LocalTime& now) override;
  void AfterSampling(const LocalTime& now) override;

  // IAdapterMenuHook: a new adapter gets its Adapters and Reset Rates items.
  void AdapterAdded(AdapterEntry& entry) override;

 private:
  // IAlertActions: what a fired notification rule does.
  void SendAlertEmail(uint64_t used) override;
  void LaunchProgram(const std::wstring& path) override;
  void ShowNotificationDialog(uint32_t* nextAlertType, int32_t* nextAlertMinutes) override;
  void SaveNextAlert(uint32_t nextAlertType, int32_t nextAlertMinutes) override;

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
  bool PreTranslateMessage(MSG* msg) override;

 private:
  // Lifecycle (main_dlg.cpp)
  void InitialiseMenus();
  void AddAdapterMenuItems(AdapterEntry& entry);
  void OnTick();
  // The way out (Exit, an outside WM_CLOSE, the end of the session): today's records, the
  // settings, the tray icon, the files. The views and the monitored list go with it unless a
  // window of ours still runs on them; ReleaseMonitoredList then frees them at WM_DESTROY.
  void Shutdown();
  void ReleaseMonitoredList();
  void SaveOptionGroups(uint32_t groups, bool alsoMachine);
  void SaveAdapters();
  void StartTimer();
  void OnPaintMinimised();
  void OpenTrafficLogAtStart();
  void HandleLogOpenFailure();
  // The date today's totals belong to: the last tick's.
  LocalTime Today() const { return m_tick ? m_tick->LastTickTime() : m_clock.Now(); }
  bool ServiceMode() const { return m_service.Enabled(); }
  bool ServiceRecordsRates() const { return ServiceWritesLog() && m_service.key.RecordsInService(); }
  void PrepareNotification();
  void StartRateRecording();
  TickSettings CurrentTickSettings() const;

  // Commands and menus (main_dlg_commands.cpp)
  bool OnCommand(UINT id);
  void ShowMainWindow();
  void HideMainWindow();
  void OnInitMenuPopup(HMENU menu);
  void OpenPopupMenu(POINT screen);
  void OpenPopupMenuAtPointerOrCentre();
  void OnViewToggle(const ViewToggle& toggle);
  void OnAdapterItem(UINT id);
  void OnResetRates(UINT id);
  void ResetEntryRates(AdapterEntry& entry);
  void OnNotificationCommand();
  void OnTrayNotify(LPARAM mouseMessage);
  void OnHotKey(int id);
  void OnEmailResult(LPARAM error);
  // The Options sheet (main_dlg_options.cpp), run under the modal rules and reopened at the
  // page last in front.
  void OpenOptions();
  // UM_APPLY_OPTIONS: wParam the page code, lParam the page's data. The General and Graph &
  // Text pages hand over a copy of the Options with their values (const Options*), the
  // Adapters page its AdaptersPageValues. TRUE when applied.
  LRESULT ApplyOptionsPage(WPARAM page, LPARAM data);
  bool ApplyGeneralPage(const Options& page);
  void ApplyGraphTextPage(const Options& page);
  void ApplyAdaptersPage(const AdaptersPageValues& page);
  void RecreatePens();
  // Runs a modal window of ours: modal-open set and not topmost while it is open.
  template <class F>
  void RunModalWindow(F&& body);

  // The Notification page's apply (page code 204) and the notification dialog
  // (main_dlg_notify.cpp).
  bool ApplyNotificationPage(const NotificationPageData& page);
  // The service settings and the service mode switched from the Service page
  // (main_dlg_service.cpp).
  friend class ServiceApplySteps;
  void ReadServiceKey();
  void WriteServiceKey(SettingsRoot root);
  // UM_APPLY_OPTIONS with page code 205. Its service control waits run on threads of their
  // own while this thread goes on dispatching; a failure is reported in one message box.
  void ApplyServiceSettings(const ServicePageData& page);
  void ReportServiceApplyFailures(const ServiceApplyFailures& failures, HWND owner);
  // The only two places where this program's hold on the log changes while the service mode
  // matters. TakeLogAsOwner: the log opened as owner without stopping anyone, today's totals
  // taken from it without counting a second twice (TakeTodayFromLog); false (nothing
  // changed) when another program owns it. HandLogToService: today's records written while
  // still owner, then the log opened again as reader (rate files closed when the service
  // records them).
  bool TakeLogAsOwner();
  void HandLogToService();
  // What the service reads, written machine-wide as switching the mode on writes it: the log
  // path, the Service key, the Options groups, the monitored list and the e-mail settings.
  void MirrorSettingsForService();
  ServicePageData ServicePageValues() const { return PageDataOf(m_service); }
  // Whether the service is the one that writes the log (the mode is on and it runs).
  bool ServiceWritesLog() const { return ServiceMode() && m_supervision.writer == LogWriter::Service; }
  // UM_RESTART_AS_ADMIN: a copy of this program launched as administrator with no arguments;
  // this one steps aside (it gives up its window handle in the registry so that the new one
  // is not handed over to it, closes the Options sheet `sheet` and ends). False when the
  // launch failed or was declined: nothing changed.
  bool RestartAsAdministrator(HWND sheet);

  // Keeping the service mode true (main_dlg_supervision.cpp): a look at the service at
  // start-up and once a minute, and what follows from it.
  void SuperviseService();
  void SuperviseOnTick();
  void StartServiceInBackground();
  void OnServiceStarted(bool running, LPARAM generation);
  // The service does not run: this program owns the log and counts; the mode stays on.
  bool CountWithoutService();
  // The service is not installed: the mode goes off in both hives; this program owns the log.
  void SwitchServiceModeOff();
  // Tells the user once, without a modal box in front of the graph: a balloon at the tray
  // icon, else a message box on a thread of its own.
  void Tell(const wchar_t* text, bool* told);
  void ShowPendingNotice();

  // The metrics endpoint while this program owns the traffic log (main_dlg_metrics.cpp).
  // UpdateMetricsServing follows every change of the log's owner and the Remote Monitoring
  // page's apply: it serves when this program owns the log and MetricsEnabled is on, and
  // stops otherwise (so the service can take the port).
  void UpdateMetricsServing();
  // UM_APPLY_OPTIONS with page code 206; tells the page whether the endpoint serves.
  void ApplyMetricsPage(MetricsPageData& page);
  MetricsPageData MetricsPageValues() const;
  // After every tick and at the start of serving: the figures of this second.
  void PublishMetrics();

  // The Traffic Reports window and the Traffic Rates Recorder dialog, run under the modal
  // rules, and what the main window takes back from them (main_dlg_reports.cpp).
  void OpenTrafficReports();
  void OpenRatesRecorder();
  // UM_CLEAR_HISTORY: empties the log this program owns and today's totals; false when it
  // cannot (the service owns the log, or none is open).
  bool ClearTrafficHistory();
  void PushSettingsToViews(bool recaption);
  void RegisterHotKeyIfEnabled();
  void ShowMessage(const std::wstring& text, UINT icon);

  // The stopwatch, About, the TCP viewer, help, the links and the first-run help
  // (main_dlg_links.cpp). OnLinkCommand: true when the id is one of these commands.
  bool OnLinkCommand(UINT id);
  void OpenStopwatch();
  void OpenTcpConnections();
  void OpenHelp();
  void OpenHelpAtFirstRun();
  void CloseHelpWindow();

  // Window behaviour (main_dlg_layout.cpp)
  std::vector<AdapterEntry*> DisplayedEntries();
  void PlaceWindowAtStart();
  void CreateViewsAtStart();
  bool CreateViewFor(AdapterEntry& entry, const RECT& rect);
  void AddView(AdapterEntry& entry);
  bool RemoveView(AdapterEntry& entry);
  void ApplyStack(const ViewStack& stack, const std::vector<AdapterEntry*>& entries, bool updateFractions,
                  int clientHeight);
  void CollectStack(const std::vector<AdapterEntry*>& entries);
  void OnSize(int width, int height);
  bool OnSetCursor(HWND over, UINT hitTest);
  void OnLeftButtonDown(int x, int y);
  void OnMouseMove(int x, int y);
  void OnLeftButtonUp();
  LRESULT OnNcHitTest(LPARAM lp);
  void MoveWindowAsProgram(const PixelRect& rect);
  // WM_DPICHANGED: the window moved to a screen of another DPI, or the scale changed. Takes the
  // suggested rectangle (unless the program is moving the window itself), makes the views'
  // fonts and pens at the new DPI and stacks them again by their fractions.
  void OnDpiChanged(UINT dpi, const RECT* suggested);
  // The icons of the window's caption and of the tray at the sizes the screens ask for.
  void LoadIconsForDpi();
  // The tray icon's size now (the notification area's screen), with its activity icons.
  void FollowTrayIconSize();
  void ApplyTopmost(bool topmost);
  void RestoreTopmost() { ApplyTopmost(m_options.alwaysOnTop != 0); }
  void ApplyCaption(bool show);
  void ApplyLayered();
  void ResetWindowPosition();
  PixelRect WindowRectangle() const;
  PixelRect ClientRectangle() const;
  RateViewSettings ViewSettings() const {
    RateViewSettings s = RateViewSettingsFromOptions(m_options);
    s.dpi = m_dpi;
    return s;
  }

  HINSTANCE m_instance;
  ISettingsStore& m_store;
  IAdapterSource& m_source;
  IClock& m_clock;

  Options m_options;
  ServiceSettings m_service;
  MonitoredList m_adapters;
  std::map<const AdapterEntry*, std::unique_ptr<CRateView>> m_views;
  std::unique_ptr<SamplingTick> m_tick;
  uint32_t m_nextAdapterCmd = kAdapterMenuFirstId;
  uint32_t m_nextResetCmd = kResetMenuFirstId;

  MainWindowState m_state;
  ViewStack m_stack;  // the displayed views and the strips between them
  bool m_dragging = false;
  SeparatorDrag m_drag;
  int m_lastClientWidth = 0;
  int m_lastClientHeight = 0;
  bool m_programMove = false;
  UINT m_dpi = 96;  // the window's screen; stored lengths are 96-DPI units scaled to it
  int m_lastOptionsPage = 0;
  ReportAdapter m_reportsAdapter;  // chosen last in the Traffic Reports window during this run
  int m_reportsPage = 0;           // its page in front when it closed
  bool m_hotkeyRegistered = false;
  bool m_shutdownDone = false;
  bool m_listReleased = false;
  CNotifyDlg* m_notifyDialog = nullptr;  // the notification dialog while it runs

  ScmServiceState m_serviceState;  // before m_log, which uses it
  TrafficLog m_log;
  ServiceSupervision m_supervision;
  bool m_openServicePageAtStart = false;
  bool m_endAfterOptions = false;  // the Options sheet is closing for a restart as administrator
  CTrayIcon m_tray;
  AlertMonitor m_alerts;
  EmailSettings m_email;
  // The metrics endpoint; after m_log, so it stops before the log closes.
  struct MetricsServing {
    MetricsEndpoint endpoint{MetricsProgram::Interactive, SystemSocketApi(), SystemFileSystem()};
    QuotaFiring quota;
    std::wstring status;  // "Metrics: port %d is in use." after a failed start, else empty
  } m_metrics;

  size_t m_historyCapacity;
  bool m_layered;
  bool m_trayGraphPossible;

  HPEN m_upPen = nullptr;
  HPEN m_downPen = nullptr;
  HPEN m_bothPen = nullptr;
  HICON m_icon = nullptr;
  HICON m_smallIcon = nullptr;
  HICON m_trayIcons[4] = {};
  int m_trayIconSize = 0;  // the size m_trayIcons were loaded at
  HCURSOR m_splitCursor = nullptr;
  HACCEL m_accelerators = nullptr;
  ui::COwnerDrawMenu m_menu;
};

template <class F>
void CMainDlg::RunModalWindow(F&& body) {
  // One modal window at a time; the menu disables these commands meanwhile, and this also
  // holds for the accelerators and the tray.
  if (m_state.modalOpen) return;
  m_state.modalOpen = true;
  ApplyTopmost(false);
  body();
  RestoreTopmost();
  m_state.modalOpen = false;
}

}  // namespace vantrel
