// CEmailSettingsDlg: the E-mail Settings dialog.
#include "app/win32/email_settings_dlg.h"

#include <memory>
#include <optional>

#include "app/logic/email_settings_logic.h"
#include "app/logic/main_messages.h"
#include "app/res/notify_ids.h"
#include "app/win32/main_dlg.h"
#include "notify/email_sender.h"
#include "platform/text.h"

namespace vantrel {

static_assert(IDC_EMAIL_SERVER == kEmailServer && IDC_EMAIL_PORT == kEmailPort && IDC_EMAIL_SECURITY == kEmailSecurity && IDC_EMAIL_TEST_ADDRESS == kEmailTestAddress &&
                  IDC_EMAIL_STATUS == kEmailStatus && IDC_EMAIL_BODY == kEmailBody,
              "the template's ids are the dialog's");

namespace {

constexpr wchar_t kHelpText[] =
    L"The following tags will be replaced:\n%b: bytes of bandwidth usage notification\n%t: download or upload, or "
    L"both\n%a: adapter name\n%p: period\n%f: bytes of bandwidth used so far";

std::wstring ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  int n = control ? GetWindowTextLengthW(control) : 0;
  std::wstring text(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
  if (control) GetWindowTextW(control, text.data(), n + 1);
  text.resize(wcslen(text.c_str()));
  return text;
}

void Limit(HWND dialog, int id, size_t chars) {
  SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, static_cast<WPARAM>(chars), 0);
}

}  // namespace

bool CEmailSettingsDlg::Run(HINSTANCE instance, HWND owner) {
  return DoModal(instance, IDD_EMAIL_SETTINGS, owner) == IDOK;
}

BOOL CEmailSettingsDlg::OnInitDialog() {
  Limit(m_hwnd, IDC_EMAIL_SERVER, kEmailServerChars);
  Limit(m_hwnd, IDC_EMAIL_FROM, kEmailFromChars);
  Limit(m_hwnd, IDC_EMAIL_ACCOUNT, kEmailAccountChars);
  Limit(m_hwnd, IDC_EMAIL_PASSWORD, kEmailPasswordChars);
  Limit(m_hwnd, IDC_EMAIL_TEST_ADDRESS, kEmailTestAddressChars);
  SetDlgItemTextW(m_hwnd, IDC_EMAIL_SERVER, m_settings.smtpServer.c_str());
  SendDlgItemMessageW(m_hwnd, IDC_EMAIL_PORT, EM_LIMITTEXT, 5, 0);
  for (const std::wstring& item : SecurityComboItems())
    SendDlgItemMessageW(m_hwnd, IDC_EMAIL_SECURITY, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  uint32_t security = static_cast<uint32_t>(m_settings.smtpSecurity);
  SendDlgItemMessageW(m_hwnd, IDC_EMAIL_SECURITY, CB_SETCURSEL, security <= 2 ? security : 0, 0);
  SetDlgItemTextW(m_hwnd, IDC_EMAIL_PORT, std::to_wstring(m_settings.smtpPort).c_str());
  SetDlgItemTextW(m_hwnd, IDC_EMAIL_FROM, m_settings.mailFrom.c_str());
  CheckDlgButton(m_hwnd, IDC_EMAIL_AUTH, m_settings.srvReqAuth ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(m_hwnd, IDC_EMAIL_ACCOUNT, m_settings.authName.c_str());
  SetDlgItemTextW(m_hwnd, IDC_EMAIL_PASSWORD, m_settings.authPass.c_str());
  SetDlgItemTextW(m_hwnd, IDC_EMAIL_SUBJECT, m_settings.emlTempSubject.c_str());
  SetDlgItemTextW(m_hwnd, IDC_EMAIL_BODY, m_settings.emlTempBody.c_str());
  SetDlgItemTextW(m_hwnd, IDC_EMAIL_HELP, kHelpText);
  EnableAuthentication(false);
  return TRUE;
}

EmailSettings CEmailSettingsDlg::ReadFields() const {
  EmailSettings f = m_settings;
  f.smtpServer = ControlText(m_hwnd, IDC_EMAIL_SERVER);
  f.smtpSecurity = SelectedSecurity();
  if (std::optional<uint32_t> port = ParseSmtpPort(ControlText(m_hwnd, IDC_EMAIL_PORT))) f.smtpPort = *port;
  f.mailFrom = ControlText(m_hwnd, IDC_EMAIL_FROM);
  f.srvReqAuth = IsDlgButtonChecked(m_hwnd, IDC_EMAIL_AUTH) == BST_CHECKED;
  f.authName = ControlText(m_hwnd, IDC_EMAIL_ACCOUNT);
  f.authPass = ControlText(m_hwnd, IDC_EMAIL_PASSWORD);
  f.emlTempSubject = ControlText(m_hwnd, IDC_EMAIL_SUBJECT);
  f.emlTempBody = ControlText(m_hwnd, IDC_EMAIL_BODY);
  return f;
}

void CEmailSettingsDlg::EnableAuthentication(bool focus) {
  bool on = IsDlgButtonChecked(m_hwnd, IDC_EMAIL_AUTH) == BST_CHECKED;
  EnableWindow(GetDlgItem(m_hwnd, IDC_EMAIL_ACCOUNT), on);
  EnableWindow(GetDlgItem(m_hwnd, IDC_EMAIL_PASSWORD), on);
  if (on && focus) SetFocus(GetDlgItem(m_hwnd, IDC_EMAIL_ACCOUNT));
}

SmtpSecurity CEmailSettingsDlg::SelectedSecurity() const {
  LRESULT sel = SendDlgItemMessageW(m_hwnd, IDC_EMAIL_SECURITY, CB_GETCURSEL, 0, 0);
  if (sel == 1) return SmtpSecurity::StartTls;
  if (sel == 2) return SmtpSecurity::Tls;
  return SmtpSecurity::None;
}

void CEmailSettingsDlg::OnSecurityChanged() {
  std::optional<uint32_t> port = ParseSmtpPort(ControlText(m_hwnd, IDC_EMAIL_PORT));
  if (!port) return;  // a port being typed stays as it is
  uint32_t next = SmtpPortAfterSecurityChange(*port, SelectedSecurity());
  if (next != *port) SetDlgItemTextW(m_hwnd, IDC_EMAIL_PORT, std::to_wstring(next).c_str());
}

bool CEmailSettingsDlg::FieldsPass(const EmailSettings& fields) {
  EmailDialogCheck check = CheckEmailFields(fields, ControlText(m_hwnd, IDC_EMAIL_PORT));
  if (check.ok) return true;
  MessageBoxW(m_hwnd, check.message.c_str(), kAppCaption, MB_OK | MB_ICONWARNING);
  SetFocus(GetDlgItem(m_hwnd, check.focus));
  return false;
}

void CEmailSettingsDlg::OnPreview() {
  MessageBoxW(m_hwnd, EmailPreviewText(ReadFields()).c_str(), kAppCaption, MB_OK | MB_ICONINFORMATION);
}

void CEmailSettingsDlg::OnTestEmail() {
  if (m_sending) return;
  EmailSettings fields = ReadFields();
  if (!FieldsPass(fields)) return;
  std::wstring address = ControlText(m_hwnd, IDC_EMAIL_TEST_ADDRESS);
  EmailDialogCheck check = CheckTestAddress(address);
  if (!check.ok) {
    MessageBoxW(m_hwnd, check.message.c_str(), kAppCaption, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(m_hwnd, check.focus));
    return;
  }
  MailReply reply;
  reply.window = reinterpret_cast<uintptr_t>(m_hwnd);
  reply.windowRequired = true;
  // Runs on the sender thread: the outcome comes back to this dialog as a posted message.
  reply.onResult = [](const MailRequest& request, const std::string& error) {
    PostEmailResult(reinterpret_cast<HWND>(request.replyWindow), GetCurrentThreadId(), error);
  };
  if (!SendTestEmail(fields, address, reply)) {
    MessageBoxW(m_hwnd, TestEmailOutcomeText(L"The sender could not be started.", true).c_str(), kAppCaption,
                MB_OK | MB_ICONINFORMATION);
    return;
  }
  m_sending = true;
  SetDlgItemTextW(m_hwnd, IDC_EMAIL_STATUS, kSendingEmailStatus);
  EnableWindow(m_hwnd, FALSE);
}

void CEmailSettingsDlg::OnTestResult(LPARAM error) {
  std::unique_ptr<char[]> text(reinterpret_cast<char*>(error));
  m_sending = false;
  EnableWindow(m_hwnd, TRUE);
  SetDlgItemTextW(m_hwnd, IDC_EMAIL_STATUS, L"");
  std::wstring outcome = TestEmailOutcomeText(text ? AnsiToWide(text.get()) : std::wstring(), text != nullptr);
  MessageBoxW(m_hwnd, outcome.c_str(), kAppCaption, MB_OK | MB_ICONINFORMATION);
}

void CEmailSettingsDlg::OnOk() {
  EmailSettings fields = ReadFields();
  if (!FieldsPass(fields)) return;
  if (SendsPasswordUnencrypted(fields) && !m_plainPasswordAccepted) {
    if (MessageBoxW(m_hwnd, kPlainPasswordQuestion, kAppCaption, MB_YESNO | MB_ICONWARNING) != IDYES) {
      SetFocus(GetDlgItem(m_hwnd, IDC_EMAIL_SECURITY));
      return;
    }
    m_plainPasswordAccepted = true;
  }
  m_settings = fields;
  EndModal(IDOK);
}

bool CEmailSettingsDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT*) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK:
          OnOk();
          return true;
        case IDCANCEL:
          // The sender keeps running; its answer to a closed dialog is dropped and released.
          EndModal(IDCANCEL);
          return true;
        case IDC_EMAIL_AUTH:
          if (HIWORD(wp) != BN_CLICKED) return false;
          EnableAuthentication(true);
          return true;
        case IDC_EMAIL_SECURITY:
          if (HIWORD(wp) != CBN_SELCHANGE) return false;
          OnSecurityChanged();
          return true;
        case IDC_EMAIL_PREVIEW:
          if (HIWORD(wp) != BN_CLICKED) return false;
          OnPreview();
          return true;
        case IDC_EMAIL_TEST_SEND:
          if (HIWORD(wp) != BN_CLICKED) return false;
          OnTestEmail();
          return true;
        default:
          return false;
      }
    case UM_EMAIL_RESULT:
      OnTestResult(lp);
      return true;
    default:
      return false;
  }
}

}  // namespace vantrel
