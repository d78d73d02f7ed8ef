// End-to-end tests of the Traffic Reports window and the Traffic Rates Recorder dialog under
// Wine: the real program is started over a crafted traffic log of a few months and two
// adapters it has seen before, driven from outside, and checked through what its windows
// show, the files it writes and the registry. The expected reports are computed here from the
// crafted log with the report builders. Every wait is bounded and event-based.
#include <gtest/gtest.h>
#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/formatters.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "reports/report_export.h"
#include "reports/report_tables.h"
#include "reports/traffic_chart.h"
#include "settings/notification_rule.h"
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
              kChangeButton = 1115, kBackupButton = 1193, kRestoreButton = 1194;
constexpr int kSummaryCells[kSummaryRows][3] = {{1062, 1063, 1064}, {1065, 1066, 1067}, {1068, 1069, 1070},
                                                {1071, 1072, 1073}, {1277, 1278, 1279}, {1074, 1075, 1076}};
constexpr int kChartView = 1320, kChartDays = 1321, kChartWeeks = 1322, kChartMonths = 1323, kChartOutlook = 1324;
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

// A PNG file's pixels (0x00RRGGBB, top row first) through the system's decoder.
bool ReadPng(const std::wstring& path, int* width, int* height, std::vector<uint32_t>* pixels) {
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  IWICImagingFactory* factory = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converter = nullptr;
  UINT w = 0, h = 0;
  if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                 reinterpret_cast<void**>(&factory))) &&
      SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                   &decoder)) &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&w, &h)) &&
      SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
      SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                      WICBitmapPaletteTypeCustom))) {
    pixels->assign(static_cast<size_t>(w) * h, 0);
    ok = SUCCEEDED(converter->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE*>(pixels->data())));
    for (auto& px : *pixels) px &= 0x00FFFFFF;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
  }
  for (IUnknown* object : std::initializer_list<IUnknown*>{converter, frame, decoder, factory})
    if (object) object->Release();
  if (SUCCEEDED(com)) CoUninitialize();
  return ok;
}

size_t PixelsOf(const std::vector<uint32_t>& pixels, COLORREF colour) {
  const uint32_t rgb = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  return static_cast<size_t>(std::count(pixels.begin(), pixels.end(), rgb));
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t at = 0;
  while (!text.empty()) {
    size_t end = text.find(L"\r\n", at);
    lines.push_back(text.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at));
    if (end == std::wstring::npos) break;
    at = end + 2;
  }
  return lines;
}

NotificationRule OfficeRule(int period, int direction, int days) {
  NotificationRule rule;
  rule.kind = static_cast<int32_t>(kKindAdapter);
  rule.id = kOffice.id;
  rule.number = L"100";
  rule.unit = 2;  // MB: above anything the crafted history holds, so the alert stays quiet
  rule.direction = direction;
  rule.period = period;
  rule.days = days;
  return rule;
}

std::wstring Bytes(uint64_t n) { return FormatByteCount(static_cast<int64_t>(n), true); }

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
          main = StoredMainWindow(program.ProcessId());
          return main != nullptr;
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
  HWND ChartPage(HWND sheet) { return PageWith(sheet, kChartView); }

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

  // F3, the adapter chosen and the chart page brought to the front.
  HWND OpenChart(HWND main, HWND* sheetOut) {
    PressKey(main, VK_F3);
    const DWORD pid = program.ProcessId();
    HWND sheet = WaitForWindow(pid, L"#32770", L"Traffic Reports - [All Connections]", kStartTimeoutMs);
    *sheetOut = sheet;
    if (!sheet || !WaitUntil([&] { return IsWindowVisible(sheet) && SummaryPage(sheet); }, kEffectTimeoutMs))
      return nullptr;
    if (!SelectComboText(sheet, kAdapterList, kOffice.name)) return nullptr;
    if (!WaitForWindow(pid, L"#32770", L"Traffic Reports - [Office LAN]", kEffectTimeoutMs)) return nullptr;
    return ShowPage(sheet, 4, &ReportsTest::ChartPage);
  }

  // The chart as it reads out: `bars` lines, oldest first, the newest the report's current
  // row; a bar with a row of the report shows that row's figures, any other none; and
  // `rowsShown` of the report's rows have their bar.
  bool ChartShowsRows(HWND page, ReportKind kind, size_t bars, size_t rowsShown) {
    const auto rows = expected->Rows(kind, kOffice);
    const size_t labelCell = kind == ReportKind::Daily ? 0 : 1;
    std::wstring last;
    bool good = WaitUntil(
        [&] {
          std::vector<std::wstring> lines = Lines(ControlText(page, kChartView));
          if (lines.size() != bars) return false;
          size_t matched = 0;
          for (const std::wstring& line : lines) {
            const std::wstring label = line.substr(0, line.find(L": "));
            std::wstring figures = L"Downloaded 0 B, Uploaded 0 B, Both 0 B";
            for (const auto& row : rows) {
              if (row[labelCell] != label) continue;
              figures = L"Downloaded " + row[2] + L", Uploaded " + row[3] + L", Both " + row[4];
              ++matched;
            }
            if (line != label + L": " + figures) return false;
          }
          last = lines.back();
          return matched == rowsShown && last.rfind(rows.front()[labelCell] + L": ", 0) == 0;
        },
        kEffectTimeoutMs);
    EXPECT_TRUE(good) << "the chart reads: " << std::string(last.begin(), last.end());
    return good;
  }

  // The line under the chart: what is used, and where the period is heading at today's pace.
  static int64_t DaysOf(const Date& first, const Date& last) {
    return DaysFromCivil(last.year, last.month, last.day) - DaysFromCivil(first.year, first.month, first.day) + 1;
  }
  static std::wstring PaceText(uint64_t used, const Period& period, const Date& today) {
    const uint64_t projected = ProjectedTotal(used, DaysOf(period.first, today), DaysOf(period.first, period.last));
    return L"At this pace: " + Bytes(projected) + L" by " +
           FormatDate(period.last.year, period.last.month, period.last.day, kDateFormat) + L".";
  }
  static std::wstring PlainLine(uint64_t used, const Period& period, const Date& today) {
    return L"Used " + Bytes(used) + L". " + PaceText(used, period, today);
  }
  // With a rule: of its amount, and what each day left may still take.
  static std::wstring RuleLine(uint64_t used, uint64_t threshold, const Period& period, const Date& today) {
    const int64_t daysLeft = DaysOf(today, period.last);
    return L"Used " + Bytes(used) + L" of " + Bytes(threshold) + L" (" + std::to_wstring(used * 100 / threshold) +
           L"%). " + PaceText(used, period, today) + L" To stay under it: " +
           Bytes(DailyAllowance(threshold, used, daysLeft)) + L" a day.";
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

  // Change names the log of the next start and creates nothing; the open log stays, and Backup
  // copies it; Restore of that copy beside an existing TrafficHistory_1.log makes
  // TrafficHistory_2.log beside the open log, which stays untouched.
  ASSERT_EQ(ShowPage(sheet, 0, &ReportsTest::SummaryPage), summary);
  EXPECT_TRUE(SummaryIs(summary, expected->Summary(kLab, 7)));
  ASSERT_TRUE(CreateDirectoryW(WorkFile(L"saved").c_str(), nullptr));
  const std::wstring next = WorkFile(L"saved\\next.log");
  ClickButton(summary, kChangeButton);
  ASSERT_TRUE(AnswerFile(L"Choose a traffic log", next));
  EXPECT_EQ(Answer(IDOK), L"The new change won't take effect until the program restarts.");
  EXPECT_EQ(ControlText(summary, kLogPathEdit), next);
  EXPECT_EQ(GetFileAttributesW(next.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(WriteBytes(WorkFile(L"TrafficHistory_1.log"), "an earlier restore"));
  const std::wstring backup = WorkFile(L"saved\\history-backup.log");
  const std::string before = FileText(logPath);
  ClickButton(summary, kBackupButton);
  ASSERT_TRUE(AnswerFile(L"Backup", backup));
  // Byte for byte the open log: as it was, or as a quarter-hour write of today's records that
  // came in between left it.
  EXPECT_TRUE(WaitUntil(
      [&] {
        std::string copy = FileText(backup);
        return copy == before || copy == FileText(logPath);
      },
      kEffectTimeoutMs))
      << "the backup is not the open log";
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
  // Opened again, the window shows the log of the next start.
  PressKey(main, VK_F3);
  sheet = WaitForWindow(program.ProcessId(), L"#32770", L"Traffic Reports - [Lab Wi-Fi]", kStartTimeoutMs);
  ASSERT_NE(sheet, nullptr);
  EXPECT_TRUE(WaitUntil(
      [&] {
        HWND page = SummaryPage(sheet);
        return page && ControlText(page, kLogPathEdit) == restored;
      },
      kEffectTimeoutMs));
  ClickButton(sheet, IDCANCEL);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }, kEffectTimeoutMs));
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

TEST_F(ReportsTest, TheEndOfTheSessionClosesAnOpenAlertBeforeTheAdaptersGo) {
  // More than 1 GB downloaded through All Connections in the last 10 days: the crafted history
  // alerts with the first ticks.
  NotificationRule rule;
  rule.kind = kKindAllConnections;
  rule.number = L"1";
  rule.unit = 3;
  rule.direction = 0;
  rule.period = 2;
  rule.days = kLastDays;
  ASSERT_TRUE(WriteBinary(kOptionsKey, L"NotificationEx2U", SerializeNotificationRule(rule)));
  ASSERT_TRUE(WriteDword(kOptionsKey, L"NotificationEnabled", 1));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  HWND alert = WaitForWindow(program.ProcessId(), L"#32770", L"Notification - Vantrel", kStartTimeoutMs);
  ASSERT_NE(alert, nullptr) << "no alert over the crafted history";

  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, kEffectTimeoutMs, &answer));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(alert); }, kEffectTimeoutMs)) << "the alert outlived the session";
  // The program ends cleanly afterwards: nothing was left reading what the session's end freed.
  PostCommand(main, kExit);
  ASSERT_TRUE(program.WaitForExit(kStartTimeoutMs));
  EXPECT_EQ(program.ExitCode(), 0u);
}

TEST_F(ReportsTest, TheChartShowsTheReportsFiguresKeepsItsRangeAndExportsAPng) {
  // The graph's own colours, and a stored range no version wrote: it reads as the last 31 days.
  const COLORREF down = RGB(30, 100, 180), up = RGB(240, 160, 20);
  ASSERT_TRUE(WriteDword(kOptionsKey, L"DownColor", down));
  ASSERT_TRUE(WriteDword(kOptionsKey, L"UpColor", up));
  ASSERT_TRUE(WriteDword(kOptionsKey, L"ReportChartRange", 7));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  HWND sheet = nullptr;
  HWND chart = OpenChart(main, &sheet);
  ASSERT_NE(chart, nullptr) << "no chart page";
  EXPECT_EQ(SheetTabTexts(sheet), (std::vector<std::wstring>{L"概要", L"每日", L"每周", L"每月", L"图表"}));
  EXPECT_TRUE(IsChecked(chart, kChartDays));

  // Day by day, week by week, month by month: the reports' own figures, the live row newest.
  // The crafted history has seven of its days in the last 31 and all of them in 26 weeks.
  EXPECT_TRUE(ChartShowsRows(chart, ReportKind::Daily, 31, 7));
  Screenshot(sheet, L"reports-chart-days.bmp");
  // The pointer over today's bar: the tooltip gives the day and its figures.
  HWND view = Control(chart, kChartView);
  RECT client{};
  ASSERT_TRUE(GetClientRect(view, &client));
  POINT over{client.right - 14, client.bottom - 40};
  ASSERT_TRUE(ClientToScreen(view, &over));
  const auto newest = expected->Rows(ReportKind::Daily, kOffice).front();
  const std::wstring tip =
      newest[0] + L"\r\nDownloaded: " + newest[2] + L"\r\nUploaded: " + newest[3] + L"\r\nBoth: " + newest[4];
  // The pointer then rests: every move starts the tooltip's delay again.
  SetCursorPos(over.x + 1, over.y);
  SetCursorPos(over.x, over.y);
  std::wstring seen;
  EXPECT_TRUE(WaitUntil(
      [&] {
        for (HWND w : TopLevelWindows(program.ProcessId(), L"tooltips_class32", nullptr)) {
          if (!IsWindowVisible(w)) continue;
          seen = WindowText(w);
          if (seen == tip) return true;
        }
        return false;
      },
      kEffectTimeoutMs))
      << "tooltip: " << std::string(seen.begin(), seen.end());
  SetCursorPos(0, 0);
  ASSERT_TRUE(SetCheck(chart, kChartWeeks, true));
  EXPECT_TRUE(ChartShowsRows(chart, ReportKind::Weekly, 26, expected->Rows(ReportKind::Weekly, kOffice).size()));
  Screenshot(sheet, L"reports-chart-weeks.bmp");
  ASSERT_TRUE(SetCheck(chart, kChartMonths, true));
  EXPECT_TRUE(ChartShowsRows(chart, ReportKind::Monthly, 24, expected->Rows(ReportKind::Monthly, kOffice).size()));
  EXPECT_FALSE(IsChecked(chart, kChartDays));
  Screenshot(sheet, L"reports-chart-months.bmp");
  // Without a rule: this month's total and where it is heading.
  ReportTable months = expected->Table(ReportKind::Monthly, kOffice);
  TrafficPair month = CurrentShownTotals(months, log.live[0]);
  const Date today{log.today.year, log.today.month, log.today.day};
  const std::wstring line = PlainLine(static_cast<uint64_t>(month.down + month.up), months.current, today);
  EXPECT_TRUE(WaitUntil([&] { return ControlText(chart, kChartOutlook) == line; }, kEffectTimeoutMs))
      << std::string(line.begin(), line.end());

  // Export writes the chart as shown, in both colours, as a PNG file.
  EXPECT_EQ(Export(sheet, L"Export Traffic Chart", WorkFile(L"chart"), -1),
            L"Successfully export traffic chart to file '" + WorkFile(L"chart.png") +
                L"'.\n\nDo you want to open it now?");
  RECT shown{};
  ASSERT_TRUE(GetClientRect(Control(chart, kChartView), &shown));
  const std::string png = FileText(WorkFile(L"chart.png"));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  auto be32 = [&](size_t at) {
    return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
           (uint32_t(uint8_t(png[at + 2])) << 8) | uint32_t(uint8_t(png[at + 3]));
  };
  EXPECT_EQ(be32(16), static_cast<uint32_t>(shown.right));
  EXPECT_EQ(be32(20), static_cast<uint32_t>(shown.bottom));
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  ASSERT_TRUE(ReadPng(WorkFile(L"chart.png"), &width, &height, &pixels));
  EXPECT_GT(PixelsOf(pixels, down), 100u);
  EXPECT_GT(PixelsOf(pixels, up), 20u);

  // The range chosen is kept.
  ClickButton(sheet, IDCANCEL);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }, kEffectTimeoutMs));
  uint32_t range = 0;
  EXPECT_TRUE(WaitUntil([&] { return ReadDword(kOptionsKey, L"ReportChartRange", &range) && range == 2; },
                        kEffectTimeoutMs));
  PostCommand(main, kExit);
  EXPECT_TRUE(program.WaitForExit(kStartTimeoutMs));
}

TEST_F(ReportsTest, TheChartShowsTheNotificationRuleAgainstItsPeriod) {
  const Date today{log.today.year, log.today.month, log.today.day};
  const uint64_t threshold = 100ull << 20;
  struct Case {
    NotificationRule rule;
    int rangeButton;
    const wchar_t* screenshot;
  } cases[] = {
      {OfficeRule(2, 1, 10), kChartDays, L"reports-chart-days-rule.bmp"},
      {OfficeRule(0, 2, 1), kChartWeeks, L"reports-chart-weeks-rule.bmp"},
      {OfficeRule(1, 0, 1), kChartMonths, L"reports-chart-months-rule.bmp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule.period);
    std::vector<uint8_t> blob = SerializeNotificationRule(c.rule);
    ASSERT_TRUE(WriteBinary(kOptionsKey, L"NotificationEx2U", blob));
    ASSERT_TRUE(WriteDword(kOptionsKey, L"NotificationEnabled", 1));
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND sheet = nullptr;
    HWND chart = OpenChart(main, &sheet);
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(SetCheck(chart, c.rangeButton, true));

    // The used total of the rule's period, from the report of that period.
    uint64_t used = 0;
    Period period;
    if (c.rule.period == 2) {
      period = Period{AddDays(today, -(c.rule.days - 1)), today};
      ReportTable daily = expected->Table(ReportKind::Daily, kOffice);
      for (const ReportRow& row : daily.rows)
        if (InPeriod(row.period.first, period)) used += static_cast<uint64_t>(row.current ? log.live[0].up : row.up);
    } else {
      ReportTable table = expected->Table(c.rule.period == 0 ? ReportKind::Weekly : ReportKind::Monthly, kOffice);
      TrafficPair now = CurrentShownTotals(table, log.live[0]);
      used = c.rule.direction == 0 ? static_cast<uint64_t>(now.down) : static_cast<uint64_t>(now.down + now.up);
      period = table.current;
    }
    const std::wstring line = RuleLine(used, threshold, period, today);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(chart, kChartOutlook) == line; }, kEffectTimeoutMs))
        << std::string(line.begin(), line.end());
    Screenshot(sheet, c.screenshot);
    ClickButton(sheet, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }, kEffectTimeoutMs));
    PostCommand(main, kExit);
    EXPECT_TRUE(program.WaitForExit(kStartTimeoutMs));
  }
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
