// CMainDlg: construction, the initialisation steps in their order, the message dispatch, the
// one-second tick and its hooks, and the shutdown steps.
#include "app/win32/main_dlg.h"

#include <commdlg.h>
#include <versionhelpers.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/logic/main_messages.h"
#include "app/logic/start_up.h"
#include "app/res/resource.h"
#include "app/win32/notify_dlg.h"
#include "app/win32/options_sheet.h"
#include "notify/email_sender.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "reports/rates_recorder.h"
#include "ui/dpi.h"
#include "ui/file_dialog.h"

namespace vantrel {

namespace {

bool LayeredWindowsAvailable() {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 && GetProcAddress(user32, "SetLayeredWindowAttributes") != nullptr;
}

HICON LoadIconSized(HINSTANCE instance, UINT id, int size) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

HPEN PenFromColour(uint32_t colour) { return CreatePen(PS_SOLID, 1, static_cast<COLORREF>(colour)); }

void DeletePen(HPEN& pen) {
  if (pen) DeleteObject(pen);
  pen = nullptr;
}

}  // namespace

bool PostEmailResult(HWND mainWindow, DWORD senderThreadId, const std::string& error) {
  char* copy = nullptr;
  if (!error.empty()) {
    copy = new char[error.size() + 1];
    std::memcpy(copy, error.c_str(), error.size() + 1);
  }
  if (PostMessageW(mainWindow, UM_EMAIL_RESULT, senderThreadId, reinterpret_cast<LPARAM>(copy))) return true;
  delete[] copy;
  return false;
}

CMainDlg::CMainDlg(HINSTANCE instance, ISettingsStore& store, IAdapterSource& source, IClock& clock)
    : m_instance(instance),
      m_store(store),
      m_source(source),
      m_clock(clock),
      // A service that still holds the log as its owner is stopped so that the program can
      // own it.
      m_log(LogProgram::Interactive, SystemFileSystem(), store, SystemKnownFolders(), &source, m_serviceState) {
  m_layered = LayeredWindowsAvailable();
  m_options = DefaultOptions(m_layered);
  m_historyCapacity = std::max<size_t>(static_cast<size_t>(std::max(GetSystemMetrics(SM_CXSCREEN), 0)),
                                       kMinHistoryCapacity);
  m_trayGraphPossible = IsWindowsXPOrGreater();
  m_icon = LoadIconSized(instance, IDR_MAINFRAME, GetSystemMetrics(SM_CXICON));
  m_smallIcon = LoadIconSized(instance, IDR_MAINFRAME, GetSystemMetrics(SM_CXSMICON));
  const UINT trayIds[4] = {IDI_TRAY_IDLE, IDI_TRAY_UP, IDI_TRAY_DOWN, IDI_TRAY_BOTH};
  for (int i = 0; i < 4; ++i) m_trayIcons[i] = LoadIconSized(instance, trayIds[i], GetSystemMetrics(SM_CXSMICON));
  m_splitCursor = static_cast<HCURSOR>(LoadImageW(instance, MAKEINTRESOURCEW(IDC_VSPLIT), IMAGE_CURSOR, 0, 0, 0));
}

CMainDlg::~CMainDlg() {
  DeletePen(m_upPen);
  DeletePen(m_downPen);
  DeletePen(m_bothPen);
  if (m_icon) DestroyIcon(m_icon);
  if (m_smallIcon) DestroyIcon(m_smallIcon);
  for (HICON& icon : m_trayIcons)
    if (icon) DestroyIcon(icon);
  if (m_splitCursor) DestroyCursor(m_splitCursor);
  if (m_accelerators) DestroyAcceleratorTable(m_accelerators);
}

int CMainDlg::Run() { return RunModal(m_instance, IDD_MAIN, nullptr); }

TickSettings CMainDlg::CurrentTickSettings() const {
  TickSettings t;
  t.historyCapacity = m_historyCapacity;
  t.showIPInTitle = m_options.showIPInTitle != 0;
  t.trayEnabled = m_options.dispIconSystray != 0;
  t.trayKind = m_options.stIfType;
  t.trayId = m_options.stAdpID;
  return t;
}

BOOL CMainDlg::OnInitDialog() {
  // 1. The window exists: its screen's DPI is known, and the tray gets its owner and, where
  // possible, the graph icon's drawing surface at the size the notification area asks for.
  m_dpi = ui::DpiOfWindow(m_hwnd);
  m_trayGraphPossible = m_tray.Init(m_hwnd, m_trayIcons, m_trayGraphPossible) && m_tray.GraphPossible();
  FollowTrayIconSize();
  // 2. Every Options value, over the defaults.
  LoadOptions(m_store, SettingsRoot::CurrentUser, &m_options);
  // 3. The Service values (the service mode decides who owns the log and what goes to HKLM).
  ReadServiceKey();
  // 4. The three colour pens of the tray's miniature graph.
  RecreatePens();
  // 5. The e-mail settings.
  m_email = ReadEmailSettings(m_store, SettingsRoot::CurrentUser);
  // 6. Icons and title.
  SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
  SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
  SetWindowTextW(m_hwnd, kAppCaption);
  // 7. The Handle group: a second copy finds this window through it.
  m_options.hwnd = StoredValueFromHandle(reinterpret_cast<intptr_t>(m_hwnd));
  SaveOptions(m_store, SettingsRoot::CurrentUser, m_options, kGroupHandle);
  // 8. Accelerators.
  m_accelerators = LoadAcceleratorsW(m_instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  // 9. The owner-drawn pop-up menu and its images.
  m_menu.Load(m_instance, IDR_POPUP_MENU);
  m_menu.LoadImages(m_instance, IDR_MENU_IMAGES);
  // The same images drawn larger, for screens of higher DPI.
  const std::pair<UINT, int> sizedImages[] = {
      {IDB_MENU_IMAGES_20, 20}, {IDB_MENU_IMAGES_24, 24}, {IDB_MENU_IMAGES_32, 32}, {IDB_MENU_IMAGES_48, 48}};
  for (const auto& [id, size] : sizedImages) m_menu.AddImageSize(m_instance, id, size);
  // 10. The monitored list (All Connections is made monitored when nothing is).
  LoadMonitoredList(m_store, SettingsRoot::CurrentUser, m_source, ListOwner::Interactive, &m_adapters);
  // 11. The Adapters and Reset Rates sub-menus.
  InitialiseMenus();
  // 12. The files of the adapters that record their rates.
  StartRateRecording();
  // 13. Whether the program is in the Run key.
  m_options.startWithWindows = IsStartWithWindows(m_store) ? 1 : 0;
  // 14. Placement and the rate views.
  PlaceWindowAtStart();
  CreateViewsAtStart();
  // 15. A tray adapter that no longer exists becomes All Connections.
  if (!m_adapters.Find(m_options.stIfType, m_options.stAdpID)) {
    m_options.stIfType = kKindAllConnections;
    m_options.stAdpID.clear();
  }
  // 16. Semi-transparency and click-through (the window becomes layered only when needed).
  if (m_layered && (m_options.semiTransparent || m_options.enableClickThrough)) ApplyLayered();
  // 17. Always on top, once the window is up.
  if (m_options.alwaysOnTop) PostMessageW(m_hwnd, UM_APPLY_TOPMOST, 0, 0);
  // 18. The caption switch.
  if (!m_options.showCaption) ApplyCaption(false);
  // 19. Hidden start.
  if (m_options.startMinimized) {
    m_state.shown = false;
    m_state.hiddenStartLatch = true;
  } else {
    m_state.shown = true;
  }
  // 20. No taskbar button.
  LONG_PTR ex = GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE);
  SetWindowLongPtrW(m_hwnd, GWL_EXSTYLE, (ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW);
  // 21. The tray icon now, unless the first tick adds the graph icon.
  if (m_options.dispIconSystray && !(m_trayGraphPossible && m_options.showGraphInSystray)) m_tray.AddInitial();
  // 22. The traffic log. The tick exists first: today's totals are loaded for the time the
  // tick counts on from, so a start across midnight cannot miss the change of day.
  m_tick = std::make_unique<SamplingTick>(m_adapters, m_source, m_clock, *this, this);
  m_tick->settings() = CurrentTickSettings();
  OpenTrafficLogAtStart();
  // 23. The notification rule's threshold and totals.
  m_alerts.SetNextAlert(m_options.nextAlertType, m_options.nextAlertMin);
  if (m_options.notificationEnabled) PrepareNotification();
  // 23a. In service mode: is the service there to write the log?
  SuperviseService();
  // 24. The global hot key.
  RegisterHotKeyIfEnabled();
  // 25. First-run help.
  OpenHelpAtFirstRun();
  // 26. The one-second tick.
  StartTimer();
  // 27. A copy restarted as administrator from the Service page shows that page again.
  if (m_openServicePageAtStart) {
    m_lastOptionsPage = kServiceOptionsPageIndex;
    PostMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(ID_OPTIONS, 0), 0);
  }
  return TRUE;
}

void CMainDlg::RecreatePens() {
  DeletePen(m_upPen);
  DeletePen(m_downPen);
  DeletePen(m_bothPen);
  m_upPen = PenFromColour(m_options.upColor);
  m_downPen = PenFromColour(m_options.downColor);
  m_bothPen = PenFromColour(m_options.bothDownUpColor);
}

void CMainDlg::StartTimer() {
  if (m_state.timerRunning) return;
  m_state.timerRunning = true;
  SetTimer(m_hwnd, IDT_TICK, kTickMilliseconds, nullptr);
}

void CMainDlg::RegisterHotKeyIfEnabled() {
  if (m_hotkeyRegistered) {
    UnregisterHotKey(m_hwnd, kHotkeyId);
    m_hotkeyRegistered = false;
  }
  if (m_options.hotkeyEnabled)
    m_hotkeyRegistered = RegisterHotKey(m_hwnd, kHotkeyId, kHotkeyModifiers, m_options.hotkeyChar) != FALSE;
}

void CMainDlg::InitialiseMenus() {
  HMENU popup = m_menu.SubMenu(kPopupMenuIndex);
  HMENU adapters = popup ? GetSubMenu(popup, kAdaptersMenuPosition) : nullptr;
  // The placeholder "无适配器" is the only item of the Adapters sub-menu in the resource.
  if (adapters && GetMenuItemCount(adapters) > 0) m_menu.DeleteItemAt(adapters, 0);
  for (auto& entry : m_adapters) AddAdapterMenuItems(entry);
}

void CMainDlg::AddAdapterMenuItems(AdapterEntry& entry) {
  HMENU popup = m_menu.SubMenu(kPopupMenuIndex);
  if (!popup) return;
  // The id ranges are fixed (9000..9299, 9300..9599); adapters beyond them get no items.
  if (entry.adapterCmdId == 0 && m_nextAdapterCmd <= ID_ADAPTER_LAST) entry.adapterCmdId = m_nextAdapterCmd++;
  if (entry.resetCmdId == 0 && m_nextResetCmd <= ID_RESET_LAST) entry.resetCmdId = m_nextResetCmd++;
  std::wstring title = EntryTitle(entry, m_options.showIPInTitle != 0);
  if (entry.adapterCmdId) m_menu.AppendItem(GetSubMenu(popup, kAdaptersMenuPosition), entry.adapterCmdId, title);
  if (entry.resetCmdId) m_menu.AppendItem(GetSubMenu(popup, kResetMenuPosition), entry.resetCmdId, title);
}

void CMainDlg::AdapterAdded(AdapterEntry& entry) { AddAdapterMenuItems(entry); }

void CMainDlg::OnTick() {
  if (!m_tick) return;
  m_tick->settings() = CurrentTickSettings();
  m_tick->Run();
  SuperviseOnTick();
}

void CMainDlg::StartRateRecording() {
  StartRecording(m_adapters, SystemFileSystem(), ServiceRecordsRates(), m_clock.Now(), m_options.displayUnitByte != 0,
                 m_options.dateFormat, m_options.showIPInTitle != 0);
}

void CMainDlg::OpenTrafficLogAtStart() {
  m_log.SetServiceMode(ServiceMode());
  m_supervision.writer = ServiceMode() ? LogWriter::Service : LogWriter::Program;
  m_log.LocateTrafficLog();
  if (m_log.OpenTrafficLog())
    StartCountingDay(m_clock, *m_tick, [this](const LocalTime& today) {
      m_log.LoadTodayTotals(m_adapters, today);
      m_supervision.baseline.Agree(m_adapters);
    });
  else
    PostMessageW(m_hwnd, UM_LOG_OPEN_FAILED, 0, 0);
  UpdateMetricsServing();
}

void CMainDlg::PrepareNotification() {
  // Totals before today come from the traffic log (0 without an open log).
  LocalTime today = Today();
  int weekStart = static_cast<int>(m_options.weekStartDay), monthStart = static_cast<int>(m_options.monthStartDay);
  PeriodTotalFn fromLog = [this, today, weekStart, monthStart](uint32_t kind, std::string_view id, int periodType,
                                                                int direction, int days) {
    return m_log.PeriodTotal(kind, id, periodType, direction, days, today, weekStart, monthStart);
  };
  m_alerts.Prepare(m_options.notification, m_adapters, fromLog);
}

// Tick hooks.
void CMainDlg::WriteTodayRecords(const LocalTime& date) {
  if (ServiceWritesLog()) {
    // The service writes its records at this same second.
    m_supervision.baseline.NoteRecordMoment(m_adapters);
    m_supervision.notedAt = GetTickCount64();
    return;
  }
  if (m_log.WriteTodayRecords(m_adapters, date)) m_metrics.endpoint.NoteLogWritten(UnixMillisecondsNow());
}

void CMainDlg::LoadTodayTotals(const LocalTime& newDate) {
  m_log.LoadTodayTotals(m_adapters, newDate);
  m_supervision.baseline.Agree(m_adapters);
}

void CMainDlg::DayChanged(const LocalTime&) {
  if (m_options.notificationEnabled) PrepareNotification();
}

void CMainDlg::FollowTrayIconSize() {
  // The notification area is on the primary screen, the one holding (0, 0).
  const UINT dpi = ui::DpiAtPoint(POINT{0, 0});
  const int size = TrayIconSize(ui::SystemMetricForDpi(SM_CXSMICON, dpi), dpi);
  if (size == m_trayIconSize) return;
  const UINT trayIds[4] = {IDI_TRAY_IDLE, IDI_TRAY_UP, IDI_TRAY_DOWN, IDI_TRAY_BOTH};
  HICON fresh[4] = {};
  bool loaded = true;
  for (int i = 0; i < 4; ++i) loaded = (fresh[i] = LoadIconSized(m_instance, trayIds[i], size)) != nullptr && loaded;
  if (!loaded) {
    for (HICON icon : fresh)
      if (icon) DestroyIcon(icon);
    return;
  }
  // The notification area keeps copies of what it was given, so the old icons can go.
  m_tray.SetIconSize(size, fresh);
  for (int i = 0; i < 4; ++i) {
    if (m_trayIcons[i]) DestroyIcon(m_trayIcons[i]);
    m_trayIcons[i] = fresh[i];
  }
  m_trayIconSize = size;
}

void CMainDlg::TrayUpdate(AdapterEntry& entry) {
  FollowTrayIconSize();
  TrayUpdateOptions o;
  o.showGraph = m_options.showGraphInSystray != 0;
  o.showName = m_options.showAdapterNameInSystrayTips != 0;
  o.showAddress = m_options.showAdapterIPInSystrayTips != 0;
  o.byteUnits = m_options.displayUnitByte != 0;
  o.columns = m_options.graphStyle != 0;
  m_tray.Update(entry, static_cast<const CRateView*>(entry.view), o, TrayColoursFromPens(m_bothPen, m_downPen, m_upPen));
}

void CMainDlg::RecordSecond(AdapterEntry& entry, uint32_t down, uint32_t up, const LocalTime& now) {
  vantrel::RecordSecond(entry, down, up, now, m_options.displayUnitByte != 0, m_options.dateFormat,
                        m_options.showIPInTitle != 0);
}

void CMainDlg::AfterSampling(const LocalTime&) {
  if (m_options.notificationEnabled) {
    bool serviceSendsEmail = ServiceWritesLog() && m_service.key.NotifiesInService();
    m_alerts.CheckNotification(m_options.notification, serviceSendsEmail, *this);
  }
  PublishMetrics();
}

void CMainDlg::SendAlertEmail(uint64_t used) {
  const AdapterEntry* watched = m_alerts.prepared().watched;
  if (!watched) return;
  EmailPlaceholders values =
      AlertPlaceholders(m_options.notification, *watched, used, m_tick ? m_tick->LastTickTime() : m_clock.Now(),
                        static_cast<int>(m_options.weekStartDay), static_cast<int>(m_options.monthStartDay),
                        m_options.dateFormat, m_options.showIPInTitle != 0);
  MailReply reply;
  reply.window = reinterpret_cast<uintptr_t>(m_hwnd);
  reply.windowRequired = true;
  // Runs on the sender thread: the outcome reaches the window only as a posted message.
  reply.onResult = [](const MailRequest& request, const std::string& error) {
    PostEmailResult(reinterpret_cast<HWND>(request.replyWindow), GetCurrentThreadId(), error);
  };
  vantrel::SendAlertEmail(m_email, m_options.notification.recipients, values, reply);
}

void CMainDlg::LaunchProgram(const std::wstring& path) {
  ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainDlg::SaveNextAlert(uint32_t nextAlertType, int32_t nextAlertMinutes) {
  m_options.nextAlertType = nextAlertType;
  m_options.nextAlertMin = nextAlertMinutes;
  SaveOptions(m_store, SettingsRoot::CurrentUser, m_options, kGroupNextAlert);
}

void CMainDlg::SaveOptionGroups(uint32_t groups, bool alsoMachine) {
  SaveOptions(m_store, SettingsRoot::CurrentUser, m_options, groups);
  if (alsoMachine && ServiceMode()) SaveOptions(m_store, SettingsRoot::LocalMachine, m_options, groups);
}

void CMainDlg::SaveAdapters() {
  SaveMonitoredList(m_store, SettingsRoot::CurrentUser, m_adapters, kSaveIdentity);
  if (ServiceMode()) SaveMonitoredList(m_store, SettingsRoot::LocalMachine, m_adapters, kSaveIdentity);
}

void CMainDlg::Shutdown() {
  if (m_shutdownDone || !m_hwnd) return;
  m_shutdownDone = true;
  if (m_state.timerRunning) {
    KillTimer(m_hwnd, IDT_TICK);
    m_state.timerRunning = false;
  }
  // The notification dialog first: its timer reads the watched entry, which goes with the
  // list. The session may end while it is open.
  if (m_notifyDialog) m_notifyDialog->CloseForShutdown();
  m_alerts.ForgetWatchedEntry();
  // 1. The hot key.
  if (m_hotkeyRegistered) {
    UnregisterHotKey(m_hwnd, kHotkeyId);
    m_hotkeyRegistered = false;
  }
  // 2. The help window, if one is open.
  CloseHelpWindow();
  // 3. The metrics endpoint, then today's records, then the log is closed.
  m_metrics.endpoint.Stop();
  m_log.WriteTodayRecords(m_adapters, Today());
  m_log.CloseTrafficLog();
  // 4. The Window group, from the window's rectangle (its normal one if minimised).
  m_options.wndPosition = StoredWindowRect(WindowRectangle(), m_dpi);
  SaveOptions(m_store, SettingsRoot::CurrentUser, m_options, kGroupWindow);
  // 5. The adapter settings, while the views still give the fractions.
  SaveAdapters();
  // 6. The tray icon.
  if (m_options.dispIconSystray) m_tray.Delete();
  // 7. The rate files.
  for (auto& entry : m_adapters) entry.rateFile.reset();
  // 8. Views, histories and the list, unless a window of ours still runs on them (the session
  // ended under the Traffic Reports window, the stopwatch or the notification dialog, which
  // may also be inside the tick): then when the window itself goes.
  if (!m_state.modalOpen) ReleaseMonitoredList();
}

void CMainDlg::ReleaseMonitoredList() {
  if (m_listReleased) return;
  m_listReleased = true;
  for (auto& entry : m_adapters) {
    entry.view = nullptr;
    entry.history.clear();
  }
  m_views.clear();
  m_stack = ViewStack{};
  m_tick.reset();
  m_adapters = MonitoredList{};
}

void CMainDlg::OnPaintMinimised() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hwnd, &ps);
  SendMessageW(m_hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT rc;
  GetClientRect(m_hwnd, &rc);
  int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
  DrawIcon(dc, (rc.right - rc.left - cx + 1) / 2, (rc.bottom - rc.top - cy + 1) / 2, m_icon);
  EndPaint(m_hwnd, &ps);
}

namespace {

// ReportLogOpenFailure's steps as message boxes, the save-file dialogue and the open log.
class LogFailureDialogue : public ILogFailureDialogue {
 public:
  LogFailureDialogue(HWND owner, TrafficLog& log, MonitoredList& list, const LocalTime& today)
      : m_owner(owner), m_log(log), m_list(list), m_today(today) {}

  void ShowWarning(const std::wstring& text) override {
    MessageBoxW(m_owner, text.c_str(), kAppCaption, MB_OK | MB_ICONWARNING);
  }
  bool AskYesNo(const std::wstring& text) override {
    return MessageBoxW(m_owner, text.c_str(), kAppCaption, MB_YESNO | MB_ICONWARNING) == IDYES;
  }
  void ShowInformation(const std::wstring& text) override {
    MessageBoxW(m_owner, text.c_str(), kAppCaption, MB_OK | MB_ICONINFORMATION);
  }
  bool ChooseLogFile(std::wstring* path) override {
    // "Log File (*.log)" with the pattern "*.log", each ended by a NUL, the list by two.
    std::wstring filter = std::wstring(kLogFileFilter) + L'\0' + kLogFilePattern + L'\0' + L'\0';
    ui::FileDialogRequest ask;
    ask.owner = m_owner;
    ask.filter = filter.c_str();
    ask.defaultExtension = L"log";
    if (!ui::AskSaveFile(ask)) return false;
    *path = ask.file;
    return true;
  }
  void UseLogPath(const std::wstring& path) override { m_log.ChangeLogPath(path); }
  bool OpenLog() override { return m_log.OpenTrafficLog(); }
  void LoadTodayTotals() override { m_log.LoadTodayTotals(m_list, m_today); }

 private:
  HWND m_owner;
  TrafficLog& m_log;
  MonitoredList& m_list;
  LocalTime m_today;
};

}  // namespace

void CMainDlg::HandleLogOpenFailure() {
  // A start of the service under way ends with a log either way (its own, or this program's).
  if (m_log.IsOpen() || m_supervision.starting) return;
  LogFailureDialogue dialogue(m_hwnd, m_log, m_adapters, Today());
  ReportLogOpenFailure(dialogue, ServiceMode(), m_log.Path());
  UpdateMetricsServing();
}

bool CMainDlg::PreTranslateMessage(MSG* msg) {
  if (!m_accelerators || !m_hwnd) return false;
  if (msg->hwnd != m_hwnd && !IsChild(m_hwnd, msg->hwnd)) return false;
  return TranslateAcceleratorW(m_hwnd, m_accelerators, msg) != 0;
}

bool CMainDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND:
      return OnCommand(LOWORD(wp));
    case WM_TIMER:
      if (wp != IDT_TICK) return false;
      OnTick();
      return true;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) != SC_CLOSE) return false;
      // The close box only hides; the tick and the tray keep running.
      HideMainWindow();
      return true;
    case WM_CLOSE:
      // Only a WM_CLOSE from outside gets here (the close box is a system command).
      EndModal(IDCANCEL);
      return true;
    case WM_ENDSESSION:
      if (wp) Shutdown();
      return true;
    case WM_DESTROY:
      Shutdown();
      ReleaseMonitoredList();
      return false;
    case WM_WINDOWPOSCHANGING:
      if (m_options.startMinimized && m_state.hiddenStartLatch)
        reinterpret_cast<WINDOWPOS*>(lp)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
      return false;
    case WM_PAINT:
      if (!IsIconic(m_hwnd)) return false;
      OnPaintMinimised();
      return true;
    case ui::kWmDpiChanged:
      OnDpiChanged(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
      return true;
    case WM_QUERYDRAGICON:
      *result = reinterpret_cast<LRESULT>(m_icon);
      return true;
    case WM_SIZE:
      if (wp == SIZE_MINIMIZED) return false;
      OnSize(LOWORD(lp), HIWORD(lp));
      return true;
    case WM_NCHITTEST:
      *result = OnNcHitTest(lp);
      return true;
    case WM_SETCURSOR:
      if (!OnSetCursor(reinterpret_cast<HWND>(wp), LOWORD(lp))) return false;
      *result = TRUE;
      return true;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
      return true;
    case WM_MOUSEMOVE:
      OnMouseMove(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
      return true;
    case WM_LBUTTONUP:
      OnLeftButtonUp();
      return true;
    case WM_CAPTURECHANGED:
      m_dragging = false;
      return false;
    case WM_CONTEXTMENU: {
      POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (pt.x == -1 && pt.y == -1) return false;
      POINT client = pt;
      ScreenToClient(m_hwnd, &client);
      RECT rc;
      GetClientRect(m_hwnd, &rc);
      if (!PtInRect(&rc, client)) return false;
      OpenPopupMenu(pt);
      return true;
    }
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wp));
      return true;
    case WM_MEASUREITEM:
      if (!m_menu.OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lp))) return false;
      *result = TRUE;
      return true;
    case WM_DRAWITEM:
      if (!m_menu.OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return false;
      *result = TRUE;
      return true;
    case WM_MENUCHAR:
      return m_menu.OnMenuChar(static_cast<wchar_t>(LOWORD(wp)), reinterpret_cast<HMENU>(lp), result);
    case WM_HOTKEY:
      OnHotKey(static_cast<int>(wp));
      return true;
    case UM_TRAY_NOTIFY:
      OnTrayNotify(lp);
      return true;
    case UM_APPLY_TOPMOST:
      if (m_options.alwaysOnTop) ApplyTopmost(true);
      return true;
    case UM_LOG_OPEN_FAILED:
      HandleLogOpenFailure();
      return true;
    case UM_EMAIL_RESULT:
      OnEmailResult(lp);
      return true;
    case UM_APPLY_OPTIONS:
      *result = ApplyOptionsPage(wp, lp);
      return true;
    case UM_CLEAR_HISTORY:
      *result = ClearTrafficHistory() ? TRUE : FALSE;
      return true;
    case UM_SERVICE_STARTED:
      OnServiceStarted(wp != 0, lp);
      return true;
    case UM_RESTART_AS_ADMIN:
      *result = RestartAsAdministrator(reinterpret_cast<HWND>(wp)) ? TRUE : FALSE;
      return true;
    default:
      return false;
  }
}

}  // namespace vantrel
