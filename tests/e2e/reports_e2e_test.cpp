// End-to-end tests of the Traffic Reports window and the Traffic Rates Recorder dialog under
// Wine: the real program is started over a crafted traffic log of a few months and two
// adapters it has seen before, driven from outside, and checked through what its windows
// show, the files it writes and the registry. The expected reports are computed here from the
// crafted log with the report builders. Every wait is bounded and event-based.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file.h"
#include "reports/report_export.h"
#include "reports/report_tables.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/driver_controls.h"
#include "trafficlog/log_format.h"

namespace vantrel::e2e {
namespace {

std::wstring g_programPath;
std::wstring g_artifactDir;

constexpr wchar_t kRootKey[] = L"Software\\Orlix Systems\\Vantrel";
constexpr wchar_t kOptionsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options";
constexpr wchar_t kAdaptersKey[] = L"Software\\Orlix Systems\\Vantrel\\AdaptersEx";
constexpr wchar_t kServiceKey[] = L"Software\\Orlix Systems\\Vantrel\\Service";
// On the prefix's own drive, where the program's file dialogues open (it starts in C:\).
constexpr wchar_t kWorkDir[] = L"C:\\vantrel-e2e-reports";
constexpr DWORD kStartTimeoutMs = 30000;
// Generous for a loaded two-core machine; a passing test never waits the whole time.
constexpr DWORD kEffectTimeoutMs = 20000;

constexpr UINT kExit = 32795;
// The window's controls.
constexpr int kAdapterList = 1043, kExportButton = 106, kClearButton = 105, kReportList = 1098,
              kWeekLabel = 1097, kMonthLabel = 1142, kLastDaysEdit = 1131, kLogPathEdit = 1116,
              kBackupButton = 1193, kRestoreButton = 1194;
constexpr int kSummaryCells[kSummaryRows][3] = {{1062, 1063, 1064}, {1065, 1066, 1067}, {1068, 1069, 1070},
                                                {1071, 1072, 1073}, {1277, 1278, 1279}, {1074, 1075, 1076}};
constexpr int kRecordList = 1088, kRecordFile = 1089, kRecordCheck = 1091, kRecordInterval = 1093;

constexpr int kWeekStart = 1;   // Monday
constexpr int kMonthStart = 5;
constexpr int kLastDays = 10;
constexpr uint32_t kDateFormat = 17;

// Two adapters the program has seen before (they are in its settings, not in the machine), so
// their live totals are exactly their records of today.
struct SeenAdapter {
  const char* id;
  const wchar_t* name;
  uint64_t downBase, upBase;
};
const SeenAdapter kOffice{"{E2E-REPORTS-OFFICE-LAN}", L"Office LAN", 1048576, 65536};
const SeenAdapter kLab{"{E2E-REPORTS-LAB-WIFI}", L"Lab Wi-Fi", 3000000, 200000};

std::wstring WorkFile(const std::wstring& name) { return std::wstring(kWorkDir) + L"\\" + name; }

std::string FileText(const std::wstring& path) {
  std::vector<uint8_t> b = ReadFileBytes(path);
  return std::string(b.begin(), b.end());
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  return CloseHandle(f) && ok;
}

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = dir + L"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

// A few months of history, newest day today, in the order the program writes it: per day All
// Connections, then the two adapters, then an adapter the program does not know.
struct CraftedLog {
  std::string bytes;
  LocalTime today;
  TrafficPair live[2];  // today's records of kOffice and kLab
};

CraftedLog MakeCraftedLog() {
  CraftedLog log;
  SYSTEMTIME now;
  GetLocalTime(&now);
  log.today = MakeLocalTime(now.wYear, now.wMonth, now.wDay);
  log.bytes.assign(kLogHeaderSize, '\0');
  WriteLogHeader(reinterpret_cast<uint8_t*>(log.bytes.data()));
  const int64_t today = DaysFromCivil(now.wYear, now.wMonth, now.wDay);
  auto add = [&](int y, int m, int d, uint32_t kind, const char* id, uint64_t down, uint64_t up) {
    TrafficLogRecord r;
    r.year = static_cast<uint16_t>(y);
    r.month = static_cast<uint16_t>(m);
    r.day = static_cast<uint16_t>(d);
    r.dayOfWeek = static_cast<uint16_t>(DayOfWeek(y, m, d));
    r.kind = kind;
    r.SetId(id);
    r.down = down;
    r.up = up;
    uint8_t b[kLogRecordSize];
    SerializeLogRecord(r, b);
    log.bytes.append(reinterpret_cast<const char*>(b), sizeof b);
  };
  for (int back : {130, 101, 100, 75, 61, 60, 40, 33, 20, 12, 9, 6, 2, 1, 0}) {
    int y = 0, m = 0, d = 0;
    CivilFromDays(today - back, &y, &m, &d);
    add(y, m, d, kKindAllConnections, "", 900000000ull + back, 80000000ull + back);
    const SeenAdapter* adapters[2] = {&kOffice, &kLab};
    for (int i = 0; i < 2; ++i) {
      const SeenAdapter& a = *adapters[i];
      uint64_t down = a.downBase * static_cast<uint64_t>(back % 7 + 1) + 1000ull * static_cast<uint64_t>(back);
      uint64_t up = a.upBase * static_cast<uint64_t>(back % 5 + 1) + 10ull * static_cast<uint64_t>(back);
      add(y, m, d, kKindAdapter, a.id, down, up);
      if (back == 0) log.live[i] = TrafficPair{static_cast<int64_t>(down), static_cast<int64_t>(up)};
    }
    add(y, m, d, kKindAdapter, "{E2E-NOT-A-KNOWN-ADAPTER}", 777777777ull, 777777777ull);
  }
  return log;
}

// The reports as they must come out, from the crafted log through the report builders.
class Expected {
 public:
  Expected(const CraftedLog& log, const std::wstring& copyPath) : m_log(log) {
    EXPECT_TRUE(WriteBytes(copyPath, log.bytes));
    m_file = SystemFileSystem().Open(copyPath, FileMode::Reader);
    EXPECT_NE(m_file, nullptr);
  }

  ReportContext Context(const SeenAdapter& a, int lastDays) const {
    ReportContext ctx;
    ctx.log = m_file.get();
    ctx.kind = kKindAdapter;
    ctx.id = a.id;
    ctx.live = m_log.live[&a == &kOffice ? 0 : 1];
    SetReportToday(&ctx, m_log.today);
    ctx.weekStart = kWeekStart;
    ctx.monthStart = kMonthStart;
    ctx.dateFormat = kDateFormat;
    ctx.lastDays = lastDays;
    ctx.byteUnits = true;
    return ctx;
  }
  ReportTable Table(ReportKind kind, const SeenAdapter& a) const { return BuildReportTable(kind, Context(a, 0)); }
  std::vector<std::vector<std::wstring>> Rows(ReportKind kind, const SeenAdapter& a) const {
    std::vector<std::vector<std::wstring>> rows;
    for (const ReportRow& r : Table(kind, a).rows) rows.emplace_back(r.cells.begin(), r.cells.end());
    return rows;
  }
  std::string TableFile(ReportKind kind, const SeenAdapter& a, ExportFormat format) const {
    return RenderReport(format, TableDocument(Table(kind, a), a.name, kDateFormat, kWeekStart, kMonthStart));
  }
  SummaryCells Summary(const SeenAdapter& a, int n) const {
    ReportContext ctx = Context(a, n);
    return MakeSummaryCells(BuildSummary(ctx), ctx.live, n, true);
  }
  std::string SummaryFile(const SeenAdapter& a, int n, ExportFormat format) const {
    ReportContext ctx = Context(a, n);
    SummaryTotals totals = BuildSummary(ctx);
    return RenderReport(format, SummaryDocument(MakeSummaryCells(totals, ctx.live, n, true), totals.range, a.name,
                                                kDateFormat, n));
  }

 private:
  const CraftedLog& m_log;
  std::unique_ptr<IFile> m_file;
};

class ReportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (HWND w : TopLevelWindows(0, L"#32770", L"Vantrel")) PostMessageW(w, WM_CLOSE, 0, 0);
    WaitUntil([] { return TopLevelWindows(0, L"#32770", L"Vantrel").empty(); }, kEffectTimeoutMs);
    ASSERT_TRUE(DeleteTree(kRootKey));
    // Not a first start: the help file stays closed.
    ASSERT_TRUE(WriteDword(kOptionsKey, L"FirstRun", 0));
    RemoveTree(kWorkDir);
    ASSERT_TRUE(CreateDirectoryW(kWorkDir, nullptr));
    logPath = WorkFile(L"TrafficHistory.log");
    log = MakeCraftedLog();
    ASSERT_TRUE(WriteBytes(logPath, log.bytes));
    ASSERT_TRUE(WriteString(kOptionsKey, L"TrafficLogFile", logPath));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"DisplayUnitByte", 1));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"WeekStartDay", kWeekStart));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"MonthStartDay", kMonthStart));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"SumLastDays", kLastDays));
    for (const SeenAdapter* a : {&kOffice, &kLab}) {
      std::wstring key = std::wstring(kAdaptersKey) + L"\\300-" + std::wstring(a->id, a->id + strlen(a->id));
      ASSERT_TRUE(WriteString(key, L"AdapterID", std::wstring(a->id, a->id + strlen(a->id))));
      ASSERT_TRUE(WriteString(key, L"AdapterName", a->name));
    }
    expected = std::make_unique<Expected>(log, WorkFile(L"expected-source.log"));
  }

  void TearDown() override {
    if (program.Running()) {
      for (HWND w : TopLevelWindows(program.ProcessId(), L"#32770", nullptr)) PostMessageW(w, WM_CLOSE, 0, 0);
      program.Terminate();
    }
    expected.reset();
    RemoveTree(kWorkDir);
  }

  HWND Start() {
    // In C:\ so that the file dialogues open on the test's own drive.
    EXPECT_TRUE(program.Start(g_programPath, L"C:\\")) << "cannot start the program";
    HWND main = nullptr;
    WaitUntil(
        [&] {
          uint32_t value = 0;
          if (!ReadDword(kOptionsKey, L"HWND", &value) || value == 0) return false;
          HWND h = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (!IsWindow(h) || pid != program.ProcessId() || !IsWindowVisible(h)) return false;
          main = h;
          return true;
        },
        kStartTimeoutMs);
    EXPECT_NE(main, nullptr) << "the main window did not come up";
    return main;
  }

  HWND WaitForBox() { return WaitForMessageBox(program.ProcessId(), L"Vantrel", kEffectTimeoutMs); }

  // Answers the next message box titled "Vantrel" and returns its text.
  std::wstring Answer(int button) {
    HWND box = WaitForBox();
    if (!box) return L"<no message box>";
    std::wstring text = MessageBoxText(box);
    AnswerMessageBox(box, button);
    WaitUntil([&] { return !IsWindow(box); }, kEffectTimeoutMs);
    return text;
  }

  // Types a name into the file dialogue with this title and presses OK, again while the
  // dialogue is still filling its folder view and not yet listening.
  bool AnswerFile(const wchar_t* title, const std::wstring& path, int filterIndex = -1) {
    HWND dialog = WaitForFileDialog(program.ProcessId(), title, kEffectTimeoutMs);
    if (!dialog) return false;
    if (filterIndex >= 0 && !SelectFileDialogFilter(dialog, filterIndex)) return false;
    return WaitUntil(
        [&] {
          if (!IsWindow(dialog)) return true;
          AnswerFileDialog(dialog, path);
          return WaitUntil([&] { return !IsWindow(dialog); }, 2000);
        },
        kEffectTimeoutMs);
  }

 public:
  // The page windows of the sheet by what they hold.
  HWND PageWith(HWND sheet, int id, int without1 = 0, int without2 = 0) {
    for (HWND child : ChildWindows(sheet)) {
      if (GetParent(child) != sheet || ClassName(child) != L"#32770" || !GetDlgItem(child, id)) continue;
      if ((without1 && GetDlgItem(child, without1)) || (without2 && GetDlgItem(child, without2))) continue;
      return child;
    }
    return nullptr;
  }
  HWND SummaryPage(HWND sheet) { return PageWith(sheet, kLastDaysEdit); }
  HWND DailyPage(HWND sheet) { return PageWith(sheet, kReportList, kWeekLabel, kMonthLabel); }
  HWND WeeklyPage(HWND sheet) { return PageWith(sheet, kWeekLabel); }
  HWND MonthlyPage(HWND sheet) { return PageWith(sheet, kMonthLabel); }

 protected:
  // Brings a page to the front and waits until it is the one in front.
  HWND ShowPage(HWND sheet, int index, HWND (ReportsTest::*find)(HWND)) {
    SheetSelectPage(sheet, index);
    HWND page = nullptr;
    WaitUntil(
        [&] {
          page = (this->*find)(sheet);
          return page && SheetCurrentPage(sheet) == page;
        },
        kEffectTimeoutMs);
    return page;
  }

  bool RowsAre(HWND page, const std::vector<std::vector<std::wstring>>& rows) {
    return WaitUntil([&] { return ListViewRows(Control(page, kReportList)) == rows; }, kEffectTimeoutMs);
  }

  bool SummaryIs(HWND page, const SummaryCells& cells) {
    return WaitUntil(
        [&] {
          for (int r = 0; r < kSummaryRows; ++r)
            for (int c = 0; c < 3; ++c)
              if (ControlText(page, kSummaryCells[r][c]) != cells[static_cast<size_t>(r)][static_cast<size_t>(c)])
                return false;
          return true;
        },
        kEffectTimeoutMs);
  }

  void Screenshot(HWND window, const wchar_t* name) {
    e2e::Screenshot shot;
    // The page paints after it is brought to the front: give it the moment a person would.
    Sleep(300);
    if (CaptureWindow(window, &shot)) shot.SaveBmp(g_artifactDir + L"\\" + name);
  }

  // Presses Export, saves through the dialogue and says No to opening the file; returns the
  // question's text.
  std::wstring Export(HWND sheet, const wchar_t* title, const std::wstring& name, int filterIndex) {
    ClickButton(sheet, kExportButton);
    if (!AnswerFile(title, name, filterIndex)) return L"<no file dialogue>";
    return Answer(IDNO);
  }

  Program program;
  std::wstring logPath;
  CraftedLog log;
  std::unique_ptr<Expected> expected;
};

TEST_F(ReportsTest, ShowsExportsBacksUpRestoresAndClearsTheHistory) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PressKey(main, VK_F3);
  HWND sheet = WaitForWindow(program.ProcessId(), L"#32770", L"Traffic Reports - [All Connections]", kStartTimeoutMs);
  ASSERT_NE(sheet, nullptr) << "F3 did not open the Traffic Reports window";
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(sheet) && SummaryPage(sheet); }, kEffectTimeoutMs));
  std::vector<std::wstring> adapters = ComboItems(sheet, kAdapterList);
  ASSERT_GE(adapters.size(), 4u);
  EXPECT_EQ(adapters[0], L"All Connections");
  EXPECT_EQ(adapters[1], L"Dial-Up Connections");
  EXPECT_NE(std::find(adapters.begin(), adapters.end(), kOffice.name), adapters.end());
  EXPECT_EQ(ComboSelection(sheet, kAdapterList), 0);
  EXPECT_EQ(ControlText(sheet, IDCANCEL), L"&Close");
  EXPECT_FALSE(ControlVisible(sheet, IDOK));
  EXPECT_EQ(ControlText(sheet, kExportButton), L"&Export");
  EXPECT_EQ(ControlText(sheet, kClearButton), L"Clea&r");
  EXPECT_TRUE(ExStyle(sheet) & WS_EX_APPWINDOW);
  // Not topmost behind a modal window of ours.
  EXPECT_FALSE(ExStyle(main) & WS_EX_TOPMOST);

  // The summary, first in front, follows the adapter chosen.
  HWND summary = SummaryPage(sheet);
  ASSERT_NE(summary, nullptr);
  ASSERT_TRUE(SelectComboText(sheet, kAdapterList, kOffice.name));
  EXPECT_NE(WaitForWindow(program.ProcessId(), L"#32770", L"Traffic Reports - [Office LAN]", kEffectTimeoutMs), nullptr);
  EXPECT_TRUE(SummaryIs(summary, expected->Summary(kOffice, kLastDays)));
  EXPECT_EQ(ControlText(summary, kLogPathEdit), logPath);
  Screenshot(sheet, L"reports-summary.bmp");
  // N typed: only Last N Days changes.
  ASSERT_TRUE(SetControlText(summary, kLastDaysEdit, L"7"));
  EXPECT_TRUE(SummaryIs(summary, expected->Summary(kOffice, 7)));
  EXPECT_EQ(Export(sheet, L"Export General Summary", WorkFile(L"summary"), 2),
            L"Successfully export general traffic summary to file '" + WorkFile(L"summary.htm") +
                L"'.\n\nDo you want to open it now?");
  EXPECT_EQ(FileText(WorkFile(L"summary.htm")), expected->SummaryFile(kOffice, 7, ExportFormat::Html));

  HWND daily = ShowPage(sheet, 1, &ReportsTest::DailyPage);
  ASSERT_NE(daily, nullptr);
  EXPECT_TRUE(RowsAre(daily, expected->Rows(ReportKind::Daily, kOffice)));
  Screenshot(sheet, L"reports-daily.bmp");
  EXPECT_EQ(Export(sheet, L"Export Daily Report", WorkFile(L"daily"), -1),
            L"Successfully export daily traffic report to file '" + WorkFile(L"daily.txt") +
                L"'.\n\nDo you want to open it now?");
  EXPECT_EQ(FileText(WorkFile(L"daily.txt")), expected->TableFile(ReportKind::Daily, kOffice, ExportFormat::Text));

  HWND weekly = ShowPage(sheet, 2, &ReportsTest::WeeklyPage);
  ASSERT_NE(weekly, nullptr);
  EXPECT_TRUE(RowsAre(weekly, expected->Rows(ReportKind::Weekly, kOffice)));
  EXPECT_EQ(ControlText(weekly, kWeekLabel), L"Start day of week is: Monday");
  Screenshot(sheet, L"reports-weekly.bmp");
  Export(sheet, L"Export Weekly Report", WorkFile(L"weekly.csv"), 1);
  EXPECT_EQ(FileText(WorkFile(L"weekly.csv")), expected->TableFile(ReportKind::Weekly, kOffice, ExportFormat::Csv));

  // Another adapter while the monthly page is in front rebuilds it at once.
  HWND monthly = ShowPage(sheet, 3, &ReportsTest::MonthlyPage);
  ASSERT_NE(monthly, nullptr);
  EXPECT_TRUE(RowsAre(monthly, expected->Rows(ReportKind::Monthly, kOffice)));
  EXPECT_EQ(ControlText(monthly, kMonthLabel), L"Start day of month is: 5");
  ASSERT_TRUE(SelectComboText(sheet, kAdapterList, kLab.name));
  EXPECT_TRUE(RowsAre(monthly, expected->Rows(ReportKind::Monthly, kLab)));
  EXPECT_EQ(WindowText(sheet), L"Traffic Reports - [Lab Wi-Fi]");
  Screenshot(sheet, L"reports-monthly.bmp");
  // A name ending in .csv saved with the text filter is a text file with .txt appended.
  Export(sheet, L"Export Monthly Report", WorkFile(L"monthly.csv"), -1);
  EXPECT_EQ(FileText(WorkFile(L"monthly.csv.txt")), expected->TableFile(ReportKind::Monthly, kLab, ExportFormat::Text));
  // The daily page catches up when it is shown again.
  ASSERT_EQ(ShowPage(sheet, 1, &ReportsTest::DailyPage), daily);
  EXPECT_TRUE(RowsAre(daily, expected->Rows(ReportKind::Daily, kLab)));

  // Backup copies the log; Restore of that copy beside an existing TrafficHistory_1.log makes
  // TrafficHistory_2.log, the live log untouched.
  ASSERT_EQ(ShowPage(sheet, 0, &ReportsTest::SummaryPage), summary);
  EXPECT_TRUE(SummaryIs(summary, expected->Summary(kLab, 7)));
  ASSERT_TRUE(CreateDirectoryW(WorkFile(L"saved").c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(WorkFile(L"TrafficHistory_1.log"), "an earlier restore"));
  const std::wstring backup = WorkFile(L"saved\\history-backup.log");
  ClickButton(summary, kBackupButton);
  ASSERT_TRUE(AnswerFile(L"Backup", backup));
  // The copy holds the whole history; today's records may have been written anew meanwhile.
  const size_t history = kLogHeaderSize + 14 * 4 * kLogRecordSize;
  EXPECT_TRUE(WaitUntil([&] { return FileText(backup).size() >= log.bytes.size(); }, kEffectTimeoutMs));
  EXPECT_EQ(FileText(backup).substr(0, history), log.bytes.substr(0, history));
  EXPECT_EQ((FileText(backup).size() - kLogHeaderSize) % kLogRecordSize, 0u);
  ClickButton(summary, kRestoreButton);
  ASSERT_TRUE(AnswerFile(L"Restore", backup));
  EXPECT_EQ(Answer(IDOK), L"The new change won't take effect until the program restarts.");
  const std::wstring restored = WorkFile(L"TrafficHistory_2.log");
  EXPECT_EQ(FileText(restored), FileText(backup));
  EXPECT_EQ(FileText(WorkFile(L"TrafficHistory_1.log")), "an earlier restore");
  EXPECT_TRUE(WaitUntil([&] { return ControlText(summary, kLogPathEdit) == restored; }, kEffectTimeoutMs));

  // Clear and Yes: the log is emptied to its header, every list keeps only its current row and
  // the summary shows today's figures in every row (the live totals are emptied too).
  ClickButton(sheet, kClearButton);
  EXPECT_EQ(Answer(IDYES),
            L"Are you sure you want to clear all traffic logs?\n\nIMPORTANT: all traffic logs can't be restored after "
            L"clearing.");
  auto onlyToday = [&] {
    std::vector<uint8_t> b = ReadFileBytes(logPath);
    if (b.size() < kLogHeaderSize || (b.size() - kLogHeaderSize) % kLogRecordSize) return false;
    // A write at a quarter hour may have started today's records anew; nothing older is left.
    for (size_t at = kLogHeaderSize; at < b.size(); at += kLogRecordSize) {
      TrafficLogRecord r;
      ParseLogRecord(&b[at], &r);
      if (r.date() != Date{log.today.year, log.today.month, log.today.day}) return false;
    }
    return true;
  };
  EXPECT_TRUE(WaitUntil(onlyToday, kEffectTimeoutMs));
  for (HWND page : {daily, weekly, monthly})
    EXPECT_TRUE(WaitUntil([&] { return ListViewRowCount(Control(page, kReportList)) == 1; }, kEffectTimeoutMs));
  SummaryCells today;
  for (auto& row : today) row = {L"0 B", L"0 B", L"0 B"};
  EXPECT_TRUE(SummaryIs(summary, today));

  ClickButton(sheet, IDCANCEL);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }, kEffectTimeoutMs));
  uint32_t days = 0;
  EXPECT_TRUE(WaitUntil([&] { return ReadDword(kOptionsKey, L"SumLastDays", &days) && days == 7; }, kEffectTimeoutMs));
  std::wstring configured;
  EXPECT_TRUE(ReadString(kOptionsKey, L"TrafficLogFile", &configured));
  EXPECT_EQ(configured, restored);
  EXPECT_TRUE(WaitUntil([&] { return (ExStyle(main) & WS_EX_TOPMOST) != 0; }, kEffectTimeoutMs));
  PostCommand(main, kExit);
  EXPECT_TRUE(program.WaitForExit(kStartTimeoutMs));
}

// What the program sees of a service that owns the log: a registered VantrelService (set to
// disabled, so that the program does not try to start it) and the log held open as its owner
// holds it. Both go with the object.
class ServiceHoldingTheLog {
 public:
  explicit ServiceHoldingTheLog(const std::wstring& logPath) {
    if (SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE)) {
      m_service = CreateServiceW(scm, L"VantrelService", L"Vantrel Service", DELETE, SERVICE_WIN32_OWN_PROCESS,
                                 SERVICE_DISABLED, SERVICE_ERROR_NORMAL, L"\"C:\\nowhere\\VantrelService.exe\"",
                                 nullptr, nullptr, nullptr, nullptr, nullptr);
      CloseServiceHandle(scm);
    }
    m_log = CreateFileW(logPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~ServiceHoldingTheLog() {
    if (m_log != INVALID_HANDLE_VALUE) CloseHandle(m_log);
    if (m_service) {
      DeleteService(m_service);
      CloseServiceHandle(m_service);
    }
  }
  bool Holds() const { return m_service && m_log != INVALID_HANDLE_VALUE; }

 private:
  SC_HANDLE m_service = nullptr;
  HANDLE m_log = INVALID_HANDLE_VALUE;
};

TEST_F(ReportsTest, ClearLeavesThePagesAsTheyAreWhileTheServiceOwnsTheLog) {
  ASSERT_TRUE(WriteDword(kServiceKey, L"ServiceEnabled", 1));
  ServiceHoldingTheLog service(logPath);
  ASSERT_TRUE(service.Holds());
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PressKey(main, VK_F3);
  HWND sheet = WaitForWindow(program.ProcessId(), L"#32770", L"Traffic Reports - [All Connections]", kStartTimeoutMs);
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(sheet) && SummaryPage(sheet); }, kEffectTimeoutMs));
  ASSERT_TRUE(SelectComboText(sheet, kAdapterList, kOffice.name));
  HWND daily = ShowPage(sheet, 1, &ReportsTest::DailyPage);
  ASSERT_NE(daily, nullptr);
  const auto rows = expected->Rows(ReportKind::Daily, kOffice);
  ASSERT_TRUE(RowsAre(daily, rows));

  ClickButton(sheet, kClearButton);
  EXPECT_EQ(Answer(IDYES),
            L"Are you sure you want to clear all traffic logs?\n\nIMPORTANT: all traffic logs can't be restored after "
            L"clearing.");
  EXPECT_EQ(Answer(IDOK), L"The traffic log file (" + logPath +
                              L") is kept by Vantrel Service, so the traffic logs cannot be cleared here.\n\n"
                              L"Please stop Vantrel Service and disable service on Options, and then try again.");
  EXPECT_EQ(ListViewRows(Control(daily, kReportList)), rows);
  EXPECT_EQ(FileText(logPath), log.bytes);
  ClickButton(sheet, IDCANCEL);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }, kEffectTimeoutMs));
  PostCommand(main, kExit);
  EXPECT_TRUE(program.WaitForExit(kStartTimeoutMs));
}

// The data lines of a text rate file: those after the rule under the column header.
size_t RateLines(const std::string& text) {
  size_t rule = text.find(std::string(71, '-') + "\r\n");
  if (rule == std::string::npos) return 0;
  size_t lines = 0;
  for (size_t at = text.find("\r\n", rule) + 2; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  return lines;
}

TEST_F(ReportsTest, RatesRecorderRefusesBadInputAndRecordsEverySecond) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PressKey(main, VK_F5);
  HWND dialog = WaitForDialogWithControl(program.ProcessId(), kRecordCheck, kStartTimeoutMs);
  ASSERT_NE(dialog, nullptr) << "F5 did not open the rates recorder";
  HWND list = Control(dialog, kRecordList);
  ASSERT_GE(ListViewRowCount(list), 4);
  EXPECT_EQ(ListViewRows(list)[0], (std::vector<std::wstring>{L"All Connections", L"No", L"", L""}));
  // Nothing selected: nothing to edit.
  EXPECT_FALSE(ControlEnabled(dialog, kRecordCheck));
  ASSERT_TRUE(ListViewSelectRow(list, 0));
  ASSERT_TRUE(WaitUntil([&] { return ControlEnabled(dialog, kRecordCheck); }, kEffectTimeoutMs));
  EXPECT_FALSE(ControlEnabled(dialog, kRecordInterval));
  SetCheck(dialog, kRecordCheck, true);
  ASSERT_TRUE(WaitUntil([&] { return ListViewCell(list, 0, 2) == L"1 sec."; }, kEffectTimeoutMs));
  EXPECT_EQ(ListViewCell(list, 0, 1), L"Yes");
  EXPECT_TRUE(ControlEnabled(dialog, kRecordInterval));

  // A zero interval, then a file under a plain file, are refused in turn with the row selected.
  const std::wstring rates = WorkFile(L"rates\\all-connections.txt");
  ASSERT_TRUE(SetControlText(dialog, kRecordInterval, L"0"));
  ASSERT_TRUE(SetControlText(dialog, kRecordFile, rates));
  ASSERT_TRUE(WaitUntil([&] { return ListViewCell(list, 0, 3) == rates; }, kEffectTimeoutMs));
  Screenshot(dialog, L"rates-recorder.bmp");
  ClickButton(dialog, IDOK);
  EXPECT_EQ(Answer(IDOK), L"The recording interval should be equal to or greater than 1.");
  EXPECT_EQ(ListViewSelectedRows(list), std::vector<int>{0});
  ASSERT_TRUE(SetControlText(dialog, kRecordInterval, L"1"));
  ASSERT_TRUE(WriteBytes(WorkFile(L"blocker.txt"), "a file, not a folder"));
  const std::wstring bad = WorkFile(L"blocker.txt\\rates.txt");
  ASSERT_TRUE(SetControlText(dialog, kRecordFile, bad));
  ClickButton(dialog, IDOK);
  EXPECT_EQ(Answer(IDOK),
            L"Failed to create file \"" + bad + L"\". Be sure you have write permission or choose another file.");
  ASSERT_TRUE(IsWindow(dialog));

  // A good file: the dialog closes and a line is written every second.
  ASSERT_TRUE(SetControlText(dialog, kRecordFile, rates));
  ClickButton(dialog, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kEffectTimeoutMs));
  EXPECT_TRUE(WaitUntil([&] { return RateLines(FileText(rates)) >= 2; }, kEffectTimeoutMs));
  std::string text = FileText(rates);
  EXPECT_EQ(text.rfind("The file was generated by Vantrel ", 0), 0u) << text;
  EXPECT_NE(text.find("Adapter:   All Connections\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Interval:  1 Sec\r\nUnit:      Byte\r\n"), std::string::npos) << text;
  const std::wstring key = std::wstring(kAdaptersKey) + L"\\100-";
  uint32_t record = 0, interval = 0;
  std::wstring file;
  EXPECT_TRUE(ReadDword(key, L"RecordTrafficRates", &record) && record == 1);
  EXPECT_TRUE(ReadDword(key, L"RecordInterval", &interval) && interval == 1);
  EXPECT_TRUE(ReadString(key, L"RecordFile", &file) && file == rates);
  PostCommand(main, kExit);
  EXPECT_TRUE(program.WaitForExit(kStartTimeoutMs));
}

}  // namespace
}  // namespace vantrel::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!vantrel::e2e::ReadProgramArguments(argc, argv, &vantrel::e2e::g_programPath, &vantrel::e2e::g_artifactDir))
    return 2;
  int result = RUN_ALL_TESTS();
  // Leave the prefix as a first start finds it.
  vantrel::e2e::DeleteTree(vantrel::e2e::kRootKey);
  return result;
}
