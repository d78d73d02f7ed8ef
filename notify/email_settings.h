#pragma once
// The e-mail settings: where alert e-mails go out and what they say. Stored under
// "Software\Orlix Systems\Vantrel\Options\EmailSettings" of either root; the interactive
// program reads the per-user copy, the service the machine-wide one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace vantrel {

inline constexpr wchar_t kEmailSettingsKey[] = L"Software\\Orlix Systems\\Vantrel\\Options\\EmailSettings";
inline constexpr wchar_t kDefaultEmailSubject[] = L"Bandwidth Usage Notification";
inline constexpr wchar_t kDefaultEmailBody[] =
    L"Hi,\r\n\r\nMore than %b have been %t through %a in last %p.\r\n\r\nBytes %t so far: %f\r\n\r\n"
    L"The email was sent by Vantrel.\r\n";
// Largest stored string taken, terminator included (an edit control's 32767 characters).
inline constexpr size_t kMaxEmailValueBytes = 65536;

// How the connection to the SMTP server is protected (the stored SmtpSecurity numbers).
enum class SmtpSecurity : uint32_t {
  None = 0,      // plain SMTP
  StartTls = 1,  // plain greeting and EHLO, then STARTTLS before anything else
  Tls = 2,       // TLS from the first byte
};

inline constexpr uint32_t kDefaultSmtpPort = 25;
inline constexpr uint32_t kStartTlsSmtpPort = 587;
inline constexpr uint32_t kTlsSmtpPort = 465;
inline constexpr wchar_t kSmtpPortRangeError[] = L"The port must be between 1 and 65535.";

// The values, in the order the programs keep them.
struct EmailSettings {
  bool srvReqAuth = false;                    // SrvReqAuth: the server requires AUTH LOGIN
  std::wstring mailFrom;                      // MailFrom: sender address
  std::wstring smtpServer;                    // SmtpServer: host name or dotted IPv4 address
  std::wstring authName;                      // AuthName: account name
  std::wstring authPass;                      // AuthPass: password, stored as typed
  std::wstring emlTempSubject = kDefaultEmailSubject;  // EmlTempSubject: subject template
  std::wstring emlTempBody = kDefaultEmailBody;        // EmlTempBody: body template
  uint32_t smtpPort = kDefaultSmtpPort;                // SmtpPort: 1-65535
  SmtpSecurity smtpSecurity = SmtpSecurity::None;      // SmtpSecurity
  bool operator==(const EmailSettings&) const = default;
};

// Reads the settings under the given root. Every value that is missing, of the wrong type,
// too large or out of range keeps its default; an empty subject or body takes the default
// template. So settings stored before the port and security existed read as port 25, plain.
EmailSettings ReadEmailSettings(ISettingsStore& store, SettingsRoot root);

// Writes all nine values (strings with their terminating NUL). True if every write succeeded;
// callers ignore a failure, the next save tries again. The machine-wide key holds the
// password for the service: it is then restricted to the local system account and
// administrators (ProtectMachineEmailSettings).
bool WriteEmailSettings(ISettingsStore& store, SettingsRoot root, const EmailSettings& settings);

// Restricts an existing machine-wide EmailSettings key to the local system account and
// administrators, so that other users cannot read the password. True when done (or when
// there is no such key).
bool ProtectMachineEmailSettings(ISettingsStore& store);

// True when an alert e-mail can be attempted: a server and a sender, a subject or a body, and
// an account name when the server requires authentication.
bool EmailSettingsComplete(const EmailSettings& settings);

// True for a port the client can connect to (1-65535).
bool IsValidSmtpPort(uint32_t port);

// The port typed in an edit: decimal digits only, 1-65535. Nothing for an empty text, any
// other character, or a number out of range (however many digits it has).
std::optional<uint32_t> ParseSmtpPort(std::wstring_view text);

// The usual port of a mode: 25 plain, 587 STARTTLS, 465 TLS.
uint32_t UsualSmtpPort(SmtpSecurity mode);

// The port to show after the user picks `mode`: when the port still holds one of the usual
// numbers (25, 587, 465) it follows the mode; a port the user chose himself stays.
uint32_t SmtpPortAfterSecurityChange(uint32_t port, SmtpSecurity mode);

}  // namespace vantrel
