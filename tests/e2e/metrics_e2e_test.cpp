// The metrics endpoint end to end, with a real Prometheus server that metrics_e2e.sh starts on
// 127.0.0.1, scraping Vantrel's port every second. The service, with traffic coming in through
// the adapter of with_veth.sh, is scraped exactly to its log and shrugs off hostile clients;
// the interactive program serves while the service mode is off, its Remote Monitoring page
// checks and restarts the endpoint, and the endpoint changes hands with the log. Every wait
// is bounded and waits for an event.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/adapter_entry.h"
#include "platform/win32/service_control.h"
#include "settings/options.h"
#include "settings/settings_keys.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/driver_controls.h"
#include "tests/e2e/service_helpers.h"
#include "tests/e2e/host_adapter.h"
#include "trafficlog/log_format.h"

namespace vantrel {
namespace {

std::wstring g_programPath;
std::wstring g_artifactDir;

// What metrics_e2e.sh (and with_veth.sh) hand over.
struct Environment {
  uint16_t metricsPort = 0;     // Prometheus scrapes 127.0.0.1 here
  uint16_t prometheusPort = 0;  // its HTTP API
  std::wstring work;            // the script's folder: the exposition is saved there
  std::string nearAddress;      // the adapter's address (with_veth.sh)
  std::string peerAddress;      // the echo server at its far end
  uint16_t echoPort = 0;
};

Environment ReadEnvironment() {
  Environment e;
  auto number = [](const char* name) -> uint16_t {
    const char* v = std::getenv(name);
    return v ? static_cast<uint16_t>(std::atoi(v)) : 0;
  };
  e.metricsPort = number("VANTREL_METRICS_PORT");
  e.prometheusPort = number("VANTREL_PROMETHEUS_PORT");
  e.echoPort = number("VANTREL_E2E_ECHO_PORT");
  if (const char* w = std::getenv("VANTREL_METRICS_WORK")) e.work = WinePathOf(w);
  if (const char* n = std::getenv("VANTREL_E2E_NEAR")) e.nearAddress = n;
  if (const char* p = std::getenv("VANTREL_E2E_PEER")) e.peerAddress = p;
  return e;
}

// ---- A plain Winsock client: every wait bounded ----

class RawClient {
 public:
  // Connects to address:port, from `from` when given (an address of this computer).
  RawClient(const char* address, uint16_t port, const char* from = nullptr) {
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_socket == INVALID_SOCKET) return;
    if (from) {
      sockaddr_in local{};
      local.sin_family = AF_INET;
      local.sin_addr.s_addr = inet_addr(from);
      if (bind(m_socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) return;
    }
    u_long nonBlocking = 1;
    ioctlsocket(m_socket, FIONBIO, &nonBlocking);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = inet_addr(address);
    connect(m_socket, reinterpret_cast<sockaddr*>(&to), sizeof to);
    fd_set w, failed;
    FD_ZERO(&w);
    FD_SET(m_socket, &w);
    FD_ZERO(&failed);
    FD_SET(m_socket, &failed);
    timeval tv{10, 0};
    int error = 0, length = sizeof error;
    m_connected = select(0, nullptr, &w, &failed, &tv) == 1 && FD_ISSET(m_socket, &w) &&
                  getsockopt(m_socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
                  error == 0;
  }
  ~RawClient() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
  }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Connected() const { return m_connected; }
  SOCKET Socket() const { return m_socket; }
  // Sends everything within 20 seconds.
  bool Send(const std::string& bytes) {
    size_t at = 0;
    DWORD start = GetTickCount();
    while (at < bytes.size() && GetTickCount() - start < 20000) {
      int n = send(m_socket, bytes.data() + at, static_cast<int>(std::min<size_t>(bytes.size() - at, 65536)), 0);
      if (n > 0) {
        at += static_cast<size_t>(n);
      } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set w;
        FD_ZERO(&w);
        FD_SET(m_socket, &w);
        timeval tv{0, 200000};
        select(0, nullptr, &w, nullptr, &tv);
      } else {
        return false;
      }
    }
    return at == bytes.size();
  }
  // Reads what arrives: 1 data, 0 the peer closed (or reset), -1 nothing within waitMs.
  int Receive(std::string* out, DWORD waitMs) {
    fd_set r;
    FD_ZERO(&r);
    FD_SET(m_socket, &r);
    timeval tv{static_cast<long>(waitMs / 1000), static_cast<long>((waitMs % 1000) * 1000)};
    if (select(0, &r, nullptr, nullptr, &tv) != 1) return -1;
    char buf[65536];
    int n = recv(m_socket, buf, sizeof buf, 0);
    if (n > 0) {
      out->append(buf, static_cast<size_t>(n));
      return 1;
    }
    return n == 0 || WSAGetLastError() != WSAEWOULDBLOCK ? 0 : 1;
  }
  // Reads one HTTP answer (head and Content-Length bytes) or up to the close; false when
  // neither came within waitMs.
  bool ReadAnswer(std::string* out, DWORD waitMs = 20000) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < waitMs) {
      if (AnswerComplete(*out)) return true;
      if (Receive(out, 500) == 0) return true;
    }
    return AnswerComplete(*out);
  }
  static bool AnswerComplete(const std::string& s) {
    size_t end = s.find("\r\n\r\n");
    size_t length = s.find("Content-Length: ");
    return end != std::string::npos && length != std::string::npos && length < end &&
           s.size() >= end + 4 + std::stoul(s.substr(length + 16));
  }

 private:
  SOCKET m_socket = INVALID_SOCKET;
  bool m_connected = false;
};

// GET (HTTP/1.0, so that the answer is never chunked); the answer's body, empty on failure.
std::string HttpBody(uint16_t port, const std::string& target, std::string* head = nullptr) {
  RawClient c("127.0.0.1", port);
  if (!c.Connected() || !c.Send("GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n")) return std::string();
  std::string answer;
  c.ReadAnswer(&answer);
  size_t end = answer.find("\r\n\r\n");
  if (end == std::string::npos) return std::string();
  if (head) *head = answer.substr(0, end);
  return answer.substr(end + 4);
}

std::string UrlEncode(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      char buf[4];
      snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    }
  }
  return out;
}

// ---- The fixture: Prometheus's API, the endpoint's port ----

class MetricsEndToEnd : public ServiceEndToEnd {
 protected:
  void SetUp() override {
    env = ReadEnvironment();
    if (!env.metricsPort || !env.prometheusPort) GTEST_SKIP() << "run through tests/e2e/metrics_e2e.sh";
    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    ServiceEndToEnd::SetUp();
  }

  // An instant query: each result's labels and value.
  std::vector<std::pair<nlohmann::json, double>> Query(const std::string& promql) {
    std::vector<std::pair<nlohmann::json, double>> out;
    std::string body = HttpBody(env.prometheusPort, "/api/v1/query?query=" + UrlEncode(promql));
    nlohmann::json doc = nlohmann::json::parse(body, nullptr, false);
    if (doc.is_discarded() || doc.value("status", "") != "success") return out;
    for (const auto& r : doc["data"]["result"])
      out.emplace_back(r["metric"], std::stod(r["value"][1].get<std::string>()));
    return out;
  }
  std::optional<double> One(const std::string& promql) {
    auto r = Query(promql);
    if (r.size() != 1) return std::nullopt;
    return r[0].second;
  }

  Environment env;
};

// The traffic log's today record of one entry (kind 300 and the identifier).
bool TodayRecord(const std::wstring& logPath, const std::string& id, TrafficLogRecord* out) {
  std::string bytes = ReadText(logPath);
  SYSTEMTIME now;
  GetLocalTime(&now);
  bool found = false;
  for (size_t at = kLogHeaderSize; at + kLogRecordSize <= bytes.size(); at += kLogRecordSize) {
    TrafficLogRecord r;
    ParseLogRecord(reinterpret_cast<const uint8_t*>(bytes.data() + at), &r);
    if (r.year == now.wYear && r.month == now.wMonth && r.day == now.wDay && r.IsFor(kKindAdapter, id)) {
      *out = r;
      found = true;
    }
  }
  return found;
}

// The seconds of the rate file's lines ("MM/DD/YYYY,HH:MM:SS,..."), in file order.
std::vector<int> RecordedSeconds(const std::string& csv) {
  std::vector<int> out;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);) {
    int mo, d, y, h, mi, s;
    if (std::sscanf(line.c_str(), "%d/%d/%d,%d:%d:%d,", &mo, &d, &y, &h, &mi, &s) == 6)
      out.push_back(h * 3600 + mi * 60 + s);
  }
  return out;
}

int SecondOfDay() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
}

TEST_F(MetricsEndToEnd, TheServiceIsScrapedExactlyToItsLogAndHostileClientsCannotHurtIt) {
  if (env.nearAddress.empty() || !env.echoPort) GTEST_SKIP() << "run through tests/e2e/with_veth.sh";
  std::string id = AdapterIdWithAddress(env.nearAddress, 20000);
  ASSERT_FALSE(id.empty()) << "no adapter with address " << env.nearAddress;

  // The service mode with the endpoint open to every address but allowing this computer's
  // own address alone, and All Connections recording its seconds.
  ServiceKeyValues key;
  key.enabled = 1;
  key.options[2] = 1;
  WriteServiceKey(m_store, kMachine, key);
  std::wstring logPath = m_dir.File(L"TrafficHistory.log");
  WriteTrafficLogFile(m_store, kMachine, logPath);
  WriteDword(m_store, kMachine, keys::kOptions, L"MetricsEnabled", 1);
  WriteDword(m_store, kMachine, keys::kOptions, L"MetricsPort", env.metricsPort);
  WriteDword(m_store, kMachine, keys::kOptions, L"MetricsRemote", 1);
  WriteString(m_store, kMachine, keys::kOptions, L"MetricsAllow", L"127.0.0.1");
  std::wstring all = std::wstring(keys::kAdaptersEx) + L"\\100-";
  std::wstring ratesPath = m_dir.File(L"all.csv");
  WriteString(m_store, kMachine, all, L"AdapterID", L"");
  WriteDword(m_store, kMachine, all, L"RecordTrafficRates", 1);
  WriteDword(m_store, kMachine, all, L"RecordInterval", 1);
  WriteDword(m_store, kMachine, all, L"RecordNumberOnly", 1);
  WriteString(m_store, kMachine, all, L"RecordFile", ratesPath);
  ASSERT_EQ(RunCommand(L"\"" + m_exe + L"\" /install"), "Install service...success\n");
  RunCommand(L"net start VantrelService");
  ASSERT_TRUE(WaitFor([&] { return LogHas("Service is running..."); }, 30)) << Log();

  // Prometheus scrapes the adapter's counter.
  const std::string counter = "vantrel_receive_bytes_total{id=\"" + id + "\"}";
  ASSERT_TRUE(WaitFor([&] { return One(counter).has_value(); }, 60)) << "Prometheus never scraped " << counter;
  double before = *One(counter);

  // Traffic in through the adapter: the far end echoes what is sent.
  uint64_t received = 0;
  {
    RawClient echo(env.peerAddress.c_str(), env.echoPort);
    ASSERT_TRUE(echo.Connected());
    const std::string block(256 * 1024, 'v');
    for (int i = 0; i < 8; ++i) {
      ASSERT_TRUE(echo.Send(block));
      std::string back;
      while (back.size() < block.size() && echo.Receive(&back, 10000) == 1) {
      }
      ASSERT_EQ(back.size(), block.size());
      received += back.size();
    }
  }
  EXPECT_TRUE(WaitFor([&] { return One(counter).value_or(0) >= before + static_cast<double>(received); }, 30))
      << "counter " << One(counter).value_or(-1) << " before " << before << " received " << received;

  // Hostile clients, all at once, while the service goes on recording every second.
  int hostileFrom = SecondOfDay();
  std::atomic<bool> slowClosed{false};
  std::string slowAnswer;
  std::thread slow([&] {
    RawClient c("127.0.0.1", env.metricsPort);
    const std::string request = "GET /metrics HTTP/1.1\r\n\r\n";
    for (size_t i = 0; i < request.size() && c.Connected(); ++i) {
      if (!c.Send(request.substr(i, 1))) break;
      if (c.Receive(&slowAnswer, 1000) == 0) {
        slowClosed = true;
        return;
      }
    }
  });
  RawClient huge("127.0.0.1", env.metricsPort);
  ASSERT_TRUE(huge.Connected());
  huge.Send("GET /" + std::string(1 << 20, 'a'));
  std::string hugeAnswer;
  huge.ReadAnswer(&hugeAnswer);
  EXPECT_EQ(hugeAnswer.substr(0, 13), "HTTP/1.1 431 ") << hugeAnswer.substr(0, 100);
  RawClient garbage("127.0.0.1", env.metricsPort);
  garbage.Send(std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\xde\xad\xbe\xef", 15));
  std::string garbageAnswer;
  garbage.ReadAnswer(&garbageAnswer);
  EXPECT_EQ(garbageAnswer.substr(0, 13), "HTTP/1.1 400 ");
  RawClient outsider("127.0.0.1", env.metricsPort, "127.0.0.2");
  ASSERT_TRUE(outsider.Connected()) << "cannot connect from 127.0.0.2";
  outsider.Send("GET /metrics HTTP/1.1\r\n\r\n");
  std::string outsiderAnswer;
  EXPECT_TRUE(outsider.ReadAnswer(&outsiderAnswer));
  EXPECT_EQ(outsiderAnswer, "") << "a client outside the allow list got an answer";
  std::vector<std::unique_ptr<RawClient>> crowd;
  for (int i = 0; i < 100; ++i) {
    crowd.push_back(std::make_unique<RawClient>("127.0.0.1", env.metricsPort));
    crowd.back()->Send("GET /metrics HTTP/1.1\r\n\r\n");
  }
  std::vector<std::string> answers(crowd.size());
  std::vector<bool> done(crowd.size(), false);
  DWORD start = GetTickCount();
  size_t finished = 0;
  while (finished < crowd.size() && GetTickCount() - start < 60000) {
    for (size_t i = 0; i < crowd.size(); ++i) {
      if (done[i]) continue;
      int r = crowd[i]->Receive(&answers[i], 0);
      if (r == 0 || RawClient::AnswerComplete(answers[i])) {
        done[i] = true;
        ++finished;
        crowd[i].reset();  // a client closes once it has its answer
      }
    }
    Sleep(20);
  }
  EXPECT_EQ(finished, crowd.size()) << "connections left hanging";
  size_t answered = 0;
  for (const std::string& a : answers) answered += a.rfind("HTTP/1.1 200 OK\r\n", 0) == 0;
  EXPECT_EQ(answered, crowd.size()) << "of 100 connections at once";
  slow.join();
  EXPECT_TRUE(slowClosed) << "a client sending a byte a second was not closed";
  EXPECT_EQ(slowAnswer, "");
  int hostileTo = SecondOfDay();

  // The rate file kept its one line a second throughout.
  ASSERT_TRUE(WaitFor([&] { return !RecordedSeconds(ReadText(ratesPath)).empty() &&
                                   RecordedSeconds(ReadText(ratesPath)).back() > hostileTo; }, 10));
  std::vector<int> seconds = RecordedSeconds(ReadText(ratesPath));
  int covered = 0;
  for (size_t i = 1; i < seconds.size(); ++i) {
    if (seconds[i] < hostileFrom || seconds[i - 1] > hostileTo || seconds[i] < seconds[i - 1]) continue;
    EXPECT_LE(seconds[i] - seconds[i - 1], 2) << "a gap in the service's records at second " << seconds[i];
    ++covered;
  }
  EXPECT_GE(covered, hostileTo - hostileFrom - 1);

  // Still scraped; the JSON status parses and holds the adapter's traffic.
  EXPECT_TRUE(WaitFor([&] { return One("up{job=\"vantrel\"}").value_or(0) == 1; }, 10));
  nlohmann::json status = nlohmann::json::parse(HttpBody(env.metricsPort, "/status.json"), nullptr, false);
  ASSERT_FALSE(status.is_discarded());
  EXPECT_EQ(status["program"], "service");
  bool listed = false;
  for (const auto& e : status["entries"]) {
    if (e["id"] != id) continue;
    listed = true;
    EXPECT_GE(e["today"]["receive"].get<uint64_t>(), received);
    EXPECT_GE(e["month"]["receive"].get<uint64_t>(), e["today"]["receive"].get<uint64_t>());
  }
  EXPECT_TRUE(listed) << status.dump();
  std::string head;
  std::string exposition = HttpBody(env.metricsPort, "/metrics", &head);
  EXPECT_NE(head.find("Content-Type: text/plain; version=0.0.4; charset=utf-8"), std::string::npos) << head;
  ASSERT_TRUE(test::WriteFileBytes(env.work + L"\\metrics-sample.txt", exposition));  // promtool checks it

  // Stopped once its traffic is quiet: the last scrape of today's total is the log's record.
  const std::string rate = "vantrel_receive_bytes_per_second{id=\"" + id + "\"}";
  EXPECT_TRUE(WaitFor([&] { return One(rate).value_or(1) == 0; }, 20));
  ASSERT_TRUE(ScmServiceState().StopServiceAndWait(L"VantrelService"));
  ASSERT_TRUE(WaitFor([&] { return LogHas("Vantrel Service stopped."); }, 10));
  TrafficLogRecord record;
  ASSERT_TRUE(TodayRecord(logPath, id, &record));
  std::optional<double> scraped = One("last_over_time(vantrel_today_receive_bytes{id=\"" + id + "\"}[10m])");
  std::optional<double> lastRate = One("last_over_time(" + rate + "[10m])");
  ASSERT_TRUE(scraped && lastRate);
  EXPECT_GE(static_cast<double>(record.down), *scraped);
  EXPECT_LE(static_cast<double>(record.down) - *scraped, 2 * *lastRate + 2048)
      << "log " << record.down << " scraped " << *scraped;
  EXPECT_GE(record.down, received);
}

// ---- The interactive program ----

constexpr wchar_t kRootKey[] = L"Software\\Orlix Systems\\Vantrel";
constexpr wchar_t kOptionsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options";
constexpr wchar_t kSheetCaption[] = L"Vantrel Options";
constexpr UINT kExit = 32795;
constexpr int kApplyButton = 0x3021;
constexpr int kServicePageIndex = 4, kMetricsPageIndex = 5;
constexpr int kServiceEnable = 1152, kServiceConsole = 1187;
constexpr int kEnable = 1300, kPort = 1302, kRemote = 1303, kAllow = 1305, kAddress = 1308, kStatus = 1309,
              kServiceNote = 1310;
constexpr DWORD kTimeoutMs = 20000;
constexpr DWORD kScmTimeoutMs = 90000;

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// A port on 127.0.0.1 that nobody listens on now; with `hold`, kept taken by this test.
uint16_t FreePort(SOCKET* hold = nullptr) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = inet_addr("127.0.0.1");
  bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
  int length = sizeof at;
  getsockname(s, reinterpret_cast<sockaddr*>(&at), &length);
  if (hold) {
    listen(s, 4);
    *hold = s;
  } else {
    closesocket(s);
  }
  return ntohs(at.sin_port);
}

class InteractiveMetrics : public MetricsEndToEnd {
 protected:
  void SetUp() override {
    MetricsEndToEnd::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(e2e::DeleteTree(kRootKey));
    ASSERT_TRUE(e2e::WriteDword(kOptionsKey, L"FirstRun", 0));
    logPath = g_artifactDir + L"\\TrafficHistory-metrics-e2e.log";
    DeleteFileW(logPath.c_str());
    ASSERT_TRUE(e2e::WriteString(kOptionsKey, L"TrafficLogFile", logPath));
    ASSERT_TRUE(e2e::WriteDword(kOptionsKey, L"AlwaysOnTop", 0));
    ASSERT_TRUE(e2e::WriteDword(kOptionsKey, L"SemiTransparent", 0));
    ASSERT_TRUE(e2e::WriteDword(kOptionsKey, L"MetricsEnabled", 1));
    ASSERT_TRUE(e2e::WriteDword(kOptionsKey, L"MetricsPort", env.metricsPort));
  }
  void TearDown() override {
    if (program.Running()) {
      for (HWND w : e2e::TopLevelWindows(program.ProcessId(), L"#32770", nullptr))
        if (w != main) PostMessageW(w, WM_CLOSE, 0, 0);
      if (main) e2e::PostCommand(main, kExit);
      if (!program.WaitForExit(kTimeoutMs)) program.Terminate();
    }
    ScmServiceState().RemoveService(L"VantrelService");
    e2e::DeleteTree(kRootKey);
    MetricsEndToEnd::TearDown();
  }

  HWND Start() {
    EXPECT_TRUE(program.Start(g_programPath));
    e2e::WaitUntil(
        [&] {
          main = e2e::StoredMainWindow(program.ProcessId());
          return main != nullptr;
        },
        30000);
    return main;
  }
  HWND ShowPage(int index, int controlId) {
    e2e::SheetSelectPage(sheet, index);
    HWND page = nullptr;
    e2e::WaitUntil([&] { return (page = e2e::SheetPageWithControl(sheet, controlId)) && IsWindowVisible(page); },
                   kTimeoutMs);
    return page;
  }
  bool Apply(DWORD timeoutMs = kTimeoutMs) {
    if (!e2e::WaitUntil([&] { return e2e::ControlEnabled(sheet, kApplyButton); }, kTimeoutMs)) return false;
    e2e::ClickButton(sheet, kApplyButton);
    return e2e::WaitUntil([&] { return !e2e::ControlEnabled(sheet, kApplyButton); }, timeoutMs);
  }
  // Apply refused: the warning's text, answered.
  std::wstring ApplyRefused() {
    e2e::ClickButton(sheet, kApplyButton);
    HWND box = e2e::WaitForMessageBox(program.ProcessId(), L"Vantrel", kTimeoutMs);
    if (!box) return L"<no message box>";
    std::wstring text = e2e::MessageBoxText(box);
    e2e::AnswerMessageBox(box, IDOK);
    e2e::WaitUntil([&] { return !IsWindow(box); }, kTimeoutMs);
    return text;
  }
  // Which program answers on the port ("service", "interactive"), "" when none.
  std::string ServingProgram(uint16_t port) {
    std::string body = HttpBody(port, "/metrics");
    size_t at = body.find("program=\"");
    return at == std::string::npos ? std::string() : body.substr(at + 9, body.find('"', at + 9) - at - 9);
  }

  e2e::Program program;
  HWND main = nullptr;
  HWND sheet = nullptr;
  std::wstring logPath;
};

TEST_F(InteractiveMetrics, ServesWhileItOwnsTheLogAndItsPageRestartsTheEndpoint) {
  ASSERT_NE(Start(), nullptr);
  ASSERT_TRUE(WaitFor([&] { return ServingProgram(env.metricsPort) == "interactive"; }, 30));
  EXPECT_TRUE(WaitFor([&] { return One("vantrel_build_info{program=\"interactive\"}").has_value(); }, 30))
      << "Prometheus does not see the interactive program";
  nlohmann::json status = nlohmann::json::parse(HttpBody(env.metricsPort, "/status.json"), nullptr, false);
  ASSERT_FALSE(status.is_discarded());
  EXPECT_EQ(status["entries"][0]["kind"], "all");
  EXPECT_EQ(status["entries"][0]["adapter"], "All Connections");

  e2e::PressKey(main, VK_F2);
  sheet = e2e::WaitForWindow(program.ProcessId(), L"#32770", kSheetCaption, kTimeoutMs);
  ASSERT_NE(sheet, nullptr);
  HWND page = ShowPage(kMetricsPageIndex, kPort);
  ASSERT_NE(page, nullptr) << "no Remote Monitoring page";
  const std::wstring port = std::to_wstring(env.metricsPort);
  EXPECT_TRUE(e2e::IsChecked(page, kEnable));
  EXPECT_EQ(e2e::ControlText(page, kPort), port);
  EXPECT_FALSE(e2e::IsChecked(page, kRemote));
  EXPECT_FALSE(e2e::ControlEnabled(page, kAllow));
  EXPECT_EQ(e2e::ControlText(page, kAddress), L"http://127.0.0.1:" + port + L"/metrics");
  EXPECT_EQ(e2e::ControlText(page, kStatus), L"");
  EXPECT_FALSE(e2e::ControlVisible(page, kServiceNote));

  // The checks in their order, each focusing its control.
  e2e::SetCheck(page, kRemote, true);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ControlEnabled(page, kAllow); }, kTimeoutMs));
  e2e::SetControlText(page, kAllow, L"192.168.1.0/24, 10.0.0.300");
  e2e::SetControlText(page, kPort, L"0");
  EXPECT_EQ(ApplyRefused(), L"The port must be between 1 and 65535.");
  EXPECT_TRUE(e2e::WaitUntil([&] { return FocusOf(sheet) == e2e::Control(page, kPort); }, kTimeoutMs));
  e2e::SetControlText(page, kPort, port);
  EXPECT_EQ(ApplyRefused(), L"Each allowed address must be an IPv4 address or a range such as 192.168.1.0/24.");
  EXPECT_TRUE(e2e::WaitUntil([&] { return FocusOf(sheet) == e2e::Control(page, kAllow); }, kTimeoutMs));
  e2e::SetCheck(page, kRemote, false);

  // A port another program holds: said once on the page; the endpoint is off meanwhile.
  SOCKET holder = INVALID_SOCKET;
  uint16_t taken = FreePort(&holder);
  e2e::SetControlText(page, kPort, std::to_wstring(taken));
  ASSERT_TRUE(Apply());
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return e2e::ControlText(page, kStatus) == L"Metrics: port " + std::to_wstring(taken) + L" is in use."; },
      kTimeoutMs))
      << WideToAnsi(e2e::ControlText(page, kStatus));
  EXPECT_EQ(ServingProgram(env.metricsPort), "");
  uint32_t stored = 0;
  EXPECT_TRUE(e2e::ReadDword(kOptionsKey, L"MetricsPort", &stored) && stored == taken);
  closesocket(holder);
  e2e::SetControlText(page, kPort, port);
  ASSERT_TRUE(Apply());
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ControlText(page, kStatus).empty(); }, kTimeoutMs));
  EXPECT_EQ(ServingProgram(env.metricsPort), "interactive");
  Sleep(300);  // the page paints after the apply
  e2e::Screenshot shot;
  if (e2e::CaptureWindow(sheet, &shot)) shot.SaveBmp(g_artifactDir + L"\\options-remote-monitoring.bmp");

  // The service mode: the endpoint goes with the log to the service, and comes back.
  HWND service = ShowPage(kServicePageIndex, kServiceConsole);
  ASSERT_NE(service, nullptr);
  e2e::SetCheck(service, kServiceEnable, true);
  ASSERT_TRUE(Apply(kScmTimeoutMs));
  EXPECT_TRUE(WaitFor([&] { return ServingProgram(env.metricsPort) == "service"; }, 30))
      << "the service does not serve after the hand-over";
  EXPECT_TRUE(WaitFor([&] { return One("vantrel_build_info{program=\"service\"}").has_value(); }, 30));
  // Reopened in service mode, the page says the service takes changes when it restarts.
  e2e::ClickButton(sheet, IDCANCEL);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(sheet); }, kTimeoutMs));
  e2e::PressKey(main, VK_F2);
  sheet = e2e::WaitForWindow(program.ProcessId(), L"#32770", kSheetCaption, kTimeoutMs);
  ASSERT_NE(sheet, nullptr);
  page = ShowPage(kMetricsPageIndex, kPort);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(e2e::ControlVisible(page, kServiceNote));
  EXPECT_EQ(e2e::ControlText(page, kStatus), L"");
  service = ShowPage(kServicePageIndex, kServiceConsole);
  ASSERT_NE(service, nullptr);
  e2e::SetCheck(service, kServiceEnable, false);
  ASSERT_TRUE(Apply(kScmTimeoutMs));
  EXPECT_TRUE(WaitFor([&] { return ServingProgram(env.metricsPort) == "interactive"; }, 30))
      << "the program does not serve after taking the log back";
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!vantrel::e2e::ReadProgramArguments(argc, argv, &vantrel::g_programPath, &vantrel::g_artifactDir)) return 2;
  return RUN_ALL_TESTS();
}
