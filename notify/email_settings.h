#pragma once
// The e-mail settings: where alert e-mails go out and what they say. Stored under
// "Software\Orlix Systems\Vantrel\Options\EmailSettings" of either root; the interactive
// program reads the per-user copy, the service the machine-wide one.
#include <cstddef>
#include <string>

#include "platform/settings_store.h"

namespace vantrel {

inline constexpr wchar_t kEmailSettingsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options\\EmailSettings";
inline constexpr wchar_t kDefaultEmailSubject[] = L"Bandwidth Usage Notification";
inline constexpr wchar_t kDefaultEmailBody[] =
    L"Hi,\r\n\r\nMore than %b have been %t through %a in last %p.\r\n\r\nBytes %t so far: %f\r\n\r\n"
    L"The email was sent by Vantrel.\r\n";
// Largest stored string taken, terminator included (an edit control's 32767 characters).
inline constexpr size_t kMaxEmailValueBytes = 65536;

// The seven values, in the order the programs keep them.
struct EmailSettings {
  bool srvReqAuth = false;                    // SrvReqAuth: the server requires AUTH LOGIN
  std::wstring mailFrom;                      // MailFrom: sender address
  std::wstring smtpServer;                    // SmtpServer: host name or dotted IPv4 address
  std::wstring authName;                      // AuthName: account name
  std::wstring authPass;                      // AuthPass: password, stored as typed
  std::wstring emlTempSubject = kDefaultEmailSubject;  // EmlTempSubject: subject template
  std::wstring emlTempBody = kDefaultEmailBody;        // EmlTempBody: body template
  bool operator==(const EmailSettings&) const = default;
};

// Reads the settings under the given root. Every value that is missing, of the wrong type
// or too large keeps its default; an empty subject or body takes the default template.
EmailSettings ReadEmailSettings(ISettingsStore& store, SettingsRoot root);

// Writes all seven values (strings with their terminating NUL). True if every write succeeded;
// callers ignore a failure, the next save tries again.
bool WriteEmailSettings(ISettingsStore& store, SettingsRoot root, const EmailSettings& settings);

// True when an alert e-mail can be attempted: a server and a sender, a subject or a body, and
// an account name when the server requires authentication.
bool EmailSettingsComplete(const EmailSettings& settings);

}  // namespace vantrel
