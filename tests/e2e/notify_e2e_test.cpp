// End-to-end test of the bandwidth-usage alert under Wine: the real program is set up through
// the Notification page of its options sheet and the E-mail Settings dialog (with a test
// e-mail to a recording SMTP server on 127.0.0.1), real traffic goes out through a host
// adapter of the test's own (tests/e2e/with_veth.sh), and the alert's dialog and e-mail are
// checked, then the reminder after one minute. Every wait is bounded.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/formatters.h"
#include "notify/notification.h"
#include "settings/options.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/driver_controls.h"
#include "tests/unit/notify/fake_smtp_server.h"

namespace vantrel::e2e {
namespace {

std::wstring g_programPath;
std::wstring g_artifactDir;

constexpr wchar_t kRootKey[] = L"Software\\Orlix Systems\\Vantrel";
constexpr wchar_t kOptionsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options";
constexpr wchar_t kEmailKey[] = L"Software\\Orlix Systems\\Vantrel\\Options\\EmailSettings";
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kEffectTimeoutMs = 15000;

constexpr UINT kOptionsCommand = 32773, kExitCommand = 32795;
constexpr int kNotificationPageIndex = 3;
// Notification page, E-mail Settings dialog, notification dialog.
constexpr int kEnable = 1053, kNumber = 1044, kUnit = 1056, kDirection = 1055, kPeriod = 1136, kEntry = 1043,
              kPlaySound = 1046, kSoundFile = 1047, kSendEmail = 1169, kRecipients = 1171, kEmailSettings = 1172;
constexpr int kSecurity = 1179, kPort = 1180, kServer = 1157, kFrom = 1158, kTestAddress = 1176, kTestSend = 1173, kStatus = 1178;
constexpr int kAuth = 1159, kAccount = 1160;
constexpr int kSentence = 1108, kRunningTotal = 1109, kAgain = 1107, kMinutes = 1104, kClose = 1086;

// A short mono 8-bit PCM tone.
bool WriteWav(const std::wstring& path) {
  const uint32_t rate = 8000, samples = 4000;
  std::string b = "RIFF";
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  auto u16 = [&](uint16_t v) {
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>(v >> 8));
  };
  u32(36 + samples);
  b += "WAVEfmt ";
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate);
  u16(1);
  u16(8);
  b += "data";
  u32(samples);
  for (uint32_t i = 0; i < samples; ++i) b.push_back(static_cast<char>((i / 10) % 2 ? 0xC0 : 0x40));
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, b.data(), static_cast<DWORD>(b.size()), &written, nullptr) && written == b.size();
  CloseHandle(f);
  return ok;
}

// Datagrams to the far end of the test's veth pair; the number sent.
int SendTraffic(const char* peer, int datagrams) {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 0), &wsa) != 0) return 0;
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return 0;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(9);  // discard
  to.sin_addr.s_addr = inet_addr(peer);
  char payload[1000] = {};
  int sent = 0;
  for (int i = 0; i < datagrams; ++i)
    if (sendto(s, payload, sizeof payload, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) == sizeof payload) ++sent;
  closesocket(s);
  return sent;
}

void Screenshot(HWND window, const wchar_t* name) {
  // Painted with all its controls before the picture is taken.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  e2e::Screenshot shot;
  if (CaptureWindow(window, &shot)) shot.SaveBmp(g_artifactDir + L"\\" + name);
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

class NotifyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (HWND w : TopLevelWindows(0, L"#32770", L"Vantrel")) PostMessageW(w, WM_CLOSE, 0, 0);
    WaitUntil([] { return TopLevelWindows(0, L"#32770", L"Vantrel").empty(); }, kEffectTimeoutMs);
    ASSERT_TRUE(DeleteTree(kRootKey));
    // Not a first start: the help file stays closed.
    ASSERT_TRUE(WriteDword(kOptionsKey, L"FirstRun", 0));
    std::wstring logPath = g_artifactDir + L"\\TrafficHistory-notify-e2e.log";
    DeleteFileW(logPath.c_str());
    ASSERT_TRUE(WriteString(kOptionsKey, L"TrafficLogFile", logPath));
  }

  void TearDown() override {
    if (m_main && program.Running()) {
      PostCommand(m_main, kExitCommand);
      if (!program.WaitForExit(kEffectTimeoutMs)) program.Terminate();
    }
  }

  HWND Start() {
    // In C:\ so that file dialogues stay on the test's drive.
    EXPECT_TRUE(program.Start(g_programPath, L"C:\\")) << "cannot start the program";
    WaitUntil(
        [&] {
          m_main = StoredMainWindow(program.ProcessId());
          return m_main != nullptr;
        },
        kStartTimeoutMs);
    return m_main;
  }

  // Answers the next message box titled "Vantrel" and returns its text.
  std::wstring Answer(int button, DWORD timeoutMs = kEffectTimeoutMs) {
    HWND box = WaitForMessageBox(program.ProcessId(), L"Vantrel", timeoutMs);
    if (!box) return L"<no message box>";
    std::wstring text = MessageBoxText(box);
    AnswerMessageBox(box, button);
    WaitUntil([&] { return !IsWindow(box); }, kEffectTimeoutMs);
    return text;
  }

  HWND WaitForNotificationDialog(DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
          for (HWND w : TopLevelWindows(program.ProcessId(), L"#32770", L"Notification - Vantrel"))
            if (IsWindowVisible(w) && Control(w, kSentence)) found = w;
          return found != nullptr;
        },
        timeoutMs);
    return found;
  }

  Program program;
  HWND m_main = nullptr;
};

TEST_F(NotifyTest, AlertsOnceByDialogAndEmailAndRemindsAfterTheChosenMinute) {
  const char* peer = std::getenv("VANTREL_E2E_PEER");
  ASSERT_NE(peer, nullptr) << "run through tests/e2e/with_veth.sh";
  const std::wstring wav = g_artifactDir + L"\\alert-e2e.wav";
  ASSERT_TRUE(WriteWav(wav));
  // One server for the test e-mail and the alert; a third connection would be a second alert.
  test::FakeSmtpServer smtp(test::ServerScript()
                                .Send("220 fake ready\r\n")
                                .Reply("250 hello\r\n")
                                .Reply("250 sender ok\r\n")
                                .Reply("250 recipient ok\r\n")
                                .Reply("354 go ahead\r\n")
                                .Data("250 queued\r\n")
                                .Reply("221 bye\r\n"),
                            25, 3, 300000);
  ASSERT_TRUE(smtp.Listening()) << "port 25 on 127.0.0.1 is taken or needs root";

  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PostCommand(main, kOptionsCommand);
  HWND sheet = WaitForWindow(program.ProcessId(), L"#32770", L"Vantrel Options", kStartTimeoutMs);
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(SheetSelectPage(sheet, kNotificationPageIndex));
  HWND page = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (page = SheetPageWithControl(sheet, kEnable)) != nullptr; }, kEffectTimeoutMs));
  // Unchecked, every other control is disabled (once the page has filled itself).
  EXPECT_TRUE(WaitUntil([&] { return !ControlEnabled(page, kNumber); }, kEffectTimeoutMs));
  ASSERT_TRUE(SetCheck(page, kEnable, true));
  EXPECT_TRUE(WaitUntil([&] { return ControlEnabled(page, kNumber); }, kEffectTimeoutMs));
  EXPECT_EQ(ComboItems(page, kUnit), (std::vector<std::wstring>{L"TB", L"GB", L"MB", L"KB", L"Bytes"}));
  SetControlText(page, kNumber, L"1");
  SelectComboText(page, kUnit, L"KB");
  SelectComboText(page, kDirection, L"downloaded & uploaded");
  SelectComboText(page, kPeriod, L"week");
  SelectComboText(page, kEntry, L"All Connections");
  SetCheck(page, kPlaySound, true);
  SetControlText(page, kSoundFile, wav);
  SetCheck(page, kSendEmail, true);
  SetControlText(page, kRecipients, L"alerts@example.com, nobody@nowhere");
  Screenshot(sheet, L"notify-page.bmp");

  // The e-mail settings, and their test e-mail through the recording server.
  ClickButton(page, kEmailSettings);
  HWND email = WaitForDialogWithControl(program.ProcessId(), kServer, kEffectTimeoutMs);
  ASSERT_NE(email, nullptr);
  // The usual port follows the security mode chosen; back to plain SMTP on port 25.
  EXPECT_EQ(ControlText(email, kPort), L"25");
  SelectComboText(email, kSecurity, L"STARTTLS");
  EXPECT_TRUE(WaitUntil([&] { return ControlText(email, kPort) == L"587"; }, kEffectTimeoutMs));
  SelectComboText(email, kSecurity, L"None");
  EXPECT_TRUE(WaitUntil([&] { return ControlText(email, kPort) == L"25"; }, kEffectTimeoutMs));
  SetControlText(email, kServer, L"127.0.0.1");
  SetControlText(email, kFrom, L"meter@example.com");
  SetControlText(email, kTestAddress, L"tester@example.com");
  ClickButton(email, kTestSend);
  EXPECT_EQ(Answer(IDOK, 90000), L"The test email was sent successfully.");
  EXPECT_EQ(ControlText(email, kStatus), L"");
  ASSERT_TRUE(smtp.WaitForMessages(1, kEffectTimeoutMs));
  EXPECT_EQ(smtp.Messages()[0].rfind("From: meter@example.com\r\nTo: tester@example.com\r\n"
                                     "Subject: [Test Email] Bandwidth Usage Notification\r\n\r\nHi,\r\n\r\n"
                                     "More than 10 GB have been downloaded through LAN [10.0.0.10] in last week",
                                     0),
            0u)
      << smtp.Messages()[0];
  // With authentication and no encryption, OK asks first; No keeps the dialog open.
  SetCheck(email, kAuth, true);
  SetControlText(email, kAccount, L"meter");
  ClickButton(email, IDOK);
  EXPECT_EQ(Answer(IDNO), L"Security is \"None\": the SMTP password will be sent to the server unencrypted, and "
                          L"anyone on the way can read it.\n\nDo you want to send the password unencrypted?");
  EXPECT_TRUE(IsWindow(email));
  SetCheck(email, kAuth, false);
  ClickButton(email, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(email); }, kEffectTimeoutMs));

  // The first of the recipients is invalid: the list is refused, naming it.
  PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
  EXPECT_EQ(Answer(IDOK), L"Invalid email address 'nobody@nowhere'.");
  ASSERT_TRUE(IsWindow(sheet));
  SetControlText(page, kRecipients, L"alerts@example.com");
  PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }, kEffectTimeoutMs));
  uint32_t enabled = 0;
  EXPECT_TRUE(ReadDword(kOptionsKey, L"NotificationEnabled", &enabled));
  EXPECT_EQ(enabled, 1u);
  std::vector<uint8_t> blob;
  ASSERT_TRUE(ReadBinary(kOptionsKey, L"NotificationEx2U", &blob));
  ASSERT_EQ(blob.size(), 1992u);
  NotificationRule rule;
  ASSERT_TRUE(ParseNotificationRule(blob.data(), blob.size(), &rule));
  EXPECT_EQ(rule.version, 3u);
  EXPECT_EQ(rule.kind, 100);
  EXPECT_EQ(rule.number, L"1");
  EXPECT_EQ(rule.unit, 1);
  EXPECT_EQ(rule.direction, 2);
  EXPECT_EQ(rule.period, 0);
  EXPECT_EQ(rule.soundFile, wav);
  EXPECT_EQ(rule.recipients, L"alerts@example.com");
  std::wstring server;
  EXPECT_TRUE(ReadString(kEmailKey, L"SmtpServer", &server));
  EXPECT_EQ(server, L"127.0.0.1");

  // More than 1 KB goes through the adapters: the alert.
  ASSERT_GT(SendTraffic(peer, 50), 25);
  HWND alert = WaitForNotificationDialog(30000);
  ASSERT_NE(alert, nullptr) << "no notification dialog";
  SYSTEMTIME now;
  GetLocalTime(&now);
  Options defaults = DefaultOptions(true);
  LocalTime today = MakeLocalTime(now.wYear, now.wMonth, now.wDay);
  Period week = RulePeriod(rule, today, static_cast<int>(defaults.weekStartDay), static_cast<int>(defaults.monthStartDay));
  std::wstring sentence = L"Dear user, more than 1 KB have been downloaded and uploaded through \"All Connections\" in "
                          L"last week (" +
                          FormatDate(week.first.year, week.first.month, week.first.day, defaults.dateFormat) + L" -- " +
                          FormatDate(now.wYear, now.wMonth, now.wDay, defaults.dateFormat) + L").";
  EXPECT_EQ(ControlText(alert, kSentence), sentence);
  EXPECT_EQ(ControlText(alert, kRunningTotal).rfind(L"Downloaded and uploaded so far: ", 0), 0u)
      << Narrow(ControlText(alert, kRunningTotal));
  EXPECT_TRUE(ExStyle(alert) & WS_EX_APPWINDOW);
  ASSERT_TRUE(smtp.WaitForMessages(2, 30000)) << "no alert e-mail";
  std::string message = smtp.Messages()[1];
  EXPECT_EQ(message.rfind("From: meter@example.com\r\nTo: alerts@example.com\r\nSubject: Bandwidth Usage "
                          "Notification\r\n\r\nHi,\r\n\r\nMore than 1 KB have been downloaded and uploaded through "
                          "All Connections in last week (",
                          0),
            0u)
      << message;
  Screenshot(alert, L"notify-dialog.bmp");

  // Remind again after one minute.
  EXPECT_FALSE(ControlEnabled(alert, kMinutes));
  SetCheck(alert, kAgain, true);
  EXPECT_TRUE(WaitUntil([&] { return ControlEnabled(alert, kMinutes); }, kEffectTimeoutMs));
  SetControlText(alert, kMinutes, L"0");
  ClickButton(alert, kClose);
  EXPECT_EQ(Answer(IDOK), L"Minutes up to next alert should be greater than 0.");
  SetControlText(alert, kMinutes, L"1");
  ClickButton(alert, kClose);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(alert); }, kEffectTimeoutMs));
  uint32_t type = 0, minutes = 0;
  EXPECT_TRUE(WaitUntil([&] { return ReadDword(kOptionsKey, L"NextAlertType", &type) && type == 1; }, kEffectTimeoutMs));
  EXPECT_TRUE(ReadDword(kOptionsKey, L"NextAlertMin", &minutes));
  EXPECT_EQ(minutes, 1u);

  // 60 ticks later the dialog comes back alone: no second alert e-mail.
  HWND again = WaitForNotificationDialog(150000);
  ASSERT_NE(again, nullptr) << "the reminder did not come";
  EXPECT_EQ(ControlText(again, kSentence), sentence);
  EXPECT_EQ(smtp.Messages().size(), 2u);
  EXPECT_EQ(smtp.Connections(), 2);
  SetCheck(again, 1106, true);
  ClickButton(again, kClose);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(again); }, kEffectTimeoutMs));
}

}  // namespace
}  // namespace vantrel::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <OrlixVantrel.exe> <artifact folder>\n", argv[0]);
    return 2;
  }
  auto widen = [](const char* s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
    return w;
  };
  vantrel::e2e::g_programPath = vantrel::e2e::WindowsPath(widen(argv[1]));
  vantrel::e2e::g_artifactDir = vantrel::e2e::WindowsPath(widen(argv[2]));
  CreateDirectoryW(vantrel::e2e::g_artifactDir.c_str(), nullptr);
  int result = RUN_ALL_TESTS();
  vantrel::e2e::DeleteTree(vantrel::e2e::kRootKey);
  return result;
}
