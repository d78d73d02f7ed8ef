#pragma once
// The E-mail Settings dialog without a window: its fields' limits, the checks of OK and of the
// test e-mail in their order (the first failure names its message and the control to focus),
// the test address check and the preview text.
#include <cstddef>
#include <string>
#include <vector>

#include "notify/email_settings.h"

namespace vantrel {

// Control ids of the dialog (template 219).
enum EmailDialogControl : int {
  kEmailServer = 1157,
  kEmailFrom = 1158,
  kEmailAuth = 1159,
  kEmailAccount = 1160,
  kEmailPassword = 1161,
  kEmailSubject = 1162,
  kEmailBody = 1163,
  kEmailTestSend = 1173,
  kEmailPreview = 1175,
  kEmailTestAddress = 1176,
  kEmailStatus = 1178,
  kEmailSecurity = 1179,
  kEmailPort = 1180,
};

// The security drop-down's items, in the order of the stored SmtpSecurity numbers.
std::vector<std::wstring> SecurityComboItems();  // "None", "STARTTLS", "SSL/TLS"

// Edit limits in characters: what the sender's request fields hold (server, sender and account
// below 64 bytes, password below 32), and the test address.
inline constexpr size_t kEmailServerChars = 63;
inline constexpr size_t kEmailFromChars = 63;
inline constexpr size_t kEmailAccountChars = 63;
inline constexpr size_t kEmailPasswordChars = 31;
inline constexpr size_t kEmailTestAddressChars = 256;

struct EmailDialogCheck {
  bool ok = true;
  std::wstring message;
  int focus = 0;
};

// OK and the test e-mail: server, port (the edit's text, 1-65535), sender, account (with
// authentication), subject, body.
EmailDialogCheck CheckEmailFields(const EmailSettings& fields, const std::wstring& portText);
// The test e-mail's address, after the fields passed.
EmailDialogCheck CheckTestAddress(const std::wstring& address);

// The preview box: the body template alone, with the sample values.
std::wstring EmailPreviewText(const EmailSettings& fields);

// OK with authentication on and Security "None" would send the password as plain text: the
// dialog asks once (Yes/No) before it keeps such settings.
bool SendsPasswordUnencrypted(const EmailSettings& fields);
inline constexpr wchar_t kPlainPasswordQuestion[] =
    L"Security is \"None\": the SMTP password will be sent to the server unencrypted, and anyone on the way can "
    L"read it.\n\nDo you want to send the password unencrypted?";

inline constexpr wchar_t kSendingEmailStatus[] = L"Sending email...";
// The test e-mail's outcome box: "" (sent) or the sender's error text.
std::wstring TestEmailOutcomeText(const std::wstring& error, bool failed);

}  // namespace vantrel
