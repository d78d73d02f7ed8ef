#include "app/logic/email_settings_logic.h"

#include "notify/email_message.h"

namespace vantrel {

namespace {

EmailDialogCheck Refuse(const wchar_t* message, int focus) {
  EmailDialogCheck c;
  c.ok = false;
  c.message = message;
  c.focus = focus;
  return c;
}

}  // namespace

std::vector<std::wstring> SecurityComboItems() { return {L"None", L"STARTTLS", L"SSL/TLS"}; }

EmailDialogCheck CheckEmailFields(const EmailSettings& f, const std::wstring& portText) {
  if (f.smtpServer.empty()) return Refuse(L"Please input SMTP server name or IP.", kEmailServer);
  if (!ParseSmtpPort(portText)) return Refuse(kSmtpPortRangeError, kEmailPort);
  if (f.mailFrom.empty()) return Refuse(L"Please input \"Mail From.\"", kEmailFrom);
  if (f.srvReqAuth && f.authName.empty())
    return Refuse(L"Please input SMTP server authentication account name.", kEmailAccount);
  if (f.emlTempSubject.empty()) return Refuse(L"Please input email template subject.", kEmailSubject);
  if (f.emlTempBody.empty()) return Refuse(L"Please input email template body.", kEmailBody);
  return {};
}

EmailDialogCheck CheckTestAddress(const std::wstring& address) {
  if (address.empty() || !IsValidEmailAddress(address))
    return Refuse(L"Please enter a valid email address.", kEmailTestAddress);
  return {};
}

std::wstring EmailPreviewText(const EmailSettings& f) {
  return ExpandPlaceholders(f.emlTempBody, PreviewPlaceholders());
}

bool SendsPasswordUnencrypted(const EmailSettings& f) {
  return f.srvReqAuth && f.smtpSecurity == SmtpSecurity::None;
}

std::wstring TestEmailOutcomeText(const std::wstring& error, bool failed) {
  if (failed) return L"Failed to send the test email.\n\nError: " + error;
  return L"The test email was sent successfully.";
}

}  // namespace vantrel
