#include "notify/email_settings.h"

namespace vantrel {
namespace {

constexpr wchar_t kSrvReqAuth[] = L"SrvReqAuth";
constexpr wchar_t kMailFrom[] = L"MailFrom";
constexpr wchar_t kSmtpServer[] = L"SmtpServer";
constexpr wchar_t kAuthName[] = L"AuthName";
constexpr wchar_t kAuthPass[] = L"AuthPass";
constexpr wchar_t kEmlTempSubject[] = L"EmlTempSubject";
constexpr wchar_t kEmlTempBody[] = L"EmlTempBody";
constexpr wchar_t kSmtpPort[] = L"SmtpPort";
constexpr wchar_t kSmtpSecurity[] = L"SmtpSecurity";

void ReadText(ISettingsStore& store, SettingsRoot root, const wchar_t* name, std::wstring* value) {
  std::wstring text;
  if (ReadString(store, root, kEmailSettingsKey, name, kMaxEmailValueBytes, &text) == ReadStatus::Ok)
    *value = text;
}

}  // namespace

EmailSettings ReadEmailSettings(ISettingsStore& store, SettingsRoot root) {
  EmailSettings s;
  uint32_t auth = 0;
  if (ReadDword(store, root, kEmailSettingsKey, kSrvReqAuth, &auth) == ReadStatus::Ok) s.srvReqAuth = auth != 0;
  ReadText(store, root, kMailFrom, &s.mailFrom);
  ReadText(store, root, kSmtpServer, &s.smtpServer);
  ReadText(store, root, kAuthName, &s.authName);
  ReadText(store, root, kAuthPass, &s.authPass);
  ReadText(store, root, kEmlTempSubject, &s.emlTempSubject);
  ReadText(store, root, kEmlTempBody, &s.emlTempBody);
  if (s.emlTempSubject.empty()) s.emlTempSubject = kDefaultEmailSubject;
  if (s.emlTempBody.empty()) s.emlTempBody = kDefaultEmailBody;
  uint32_t port = 0;
  if (ReadDword(store, root, kEmailSettingsKey, kSmtpPort, &port) == ReadStatus::Ok && IsValidSmtpPort(port))
    s.smtpPort = port;
  uint32_t security = 0;
  if (ReadDword(store, root, kEmailSettingsKey, kSmtpSecurity, &security) == ReadStatus::Ok &&
      security <= static_cast<uint32_t>(SmtpSecurity::Tls))
    s.smtpSecurity = static_cast<SmtpSecurity>(security);
  return s;
}

bool WriteEmailSettings(ISettingsStore& store, SettingsRoot root, const EmailSettings& s) {
  bool ok = WriteDword(store, root, kEmailSettingsKey, kSrvReqAuth, s.srvReqAuth ? 1 : 0);
  ok = WriteString(store, root, kEmailSettingsKey, kMailFrom, s.mailFrom) && ok;
  ok = WriteString(store, root, kEmailSettingsKey, kSmtpServer, s.smtpServer) && ok;
  ok = WriteString(store, root, kEmailSettingsKey, kAuthName, s.authName) && ok;
  ok = WriteString(store, root, kEmailSettingsKey, kAuthPass, s.authPass) && ok;
  ok = WriteString(store, root, kEmailSettingsKey, kEmlTempSubject, s.emlTempSubject) && ok;
  ok = WriteString(store, root, kEmailSettingsKey, kEmlTempBody, s.emlTempBody) && ok;
  ok = WriteDword(store, root, kEmailSettingsKey, kSmtpPort, s.smtpPort) && ok;
  ok = WriteDword(store, root, kEmailSettingsKey, kSmtpSecurity, static_cast<uint32_t>(s.smtpSecurity)) && ok;
  if (root == SettingsRoot::LocalMachine) ok = ProtectMachineEmailSettings(store) && ok;
  return ok;
}

bool ProtectMachineEmailSettings(ISettingsStore& store) {
  if (!store.KeyExists(SettingsRoot::LocalMachine, kEmailSettingsKey)) return true;
  return store.RestrictToAdministrators(SettingsRoot::LocalMachine, kEmailSettingsKey);
}

bool EmailSettingsComplete(const EmailSettings& s) {
  if (s.smtpServer.empty() || s.mailFrom.empty()) return false;
  if (s.emlTempSubject.empty() && s.emlTempBody.empty()) return false;
  if (s.srvReqAuth && s.authName.empty()) return false;
  return true;
}

bool IsValidSmtpPort(uint32_t port) { return port >= 1 && port <= 65535; }

std::optional<uint32_t> ParseSmtpPort(std::wstring_view text) {
  if (text.empty()) return std::nullopt;
  uint32_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - L'0');
    // Stop before a long run of digits can wrap around into the range.
    if (value > 65535) return std::nullopt;
  }
  if (!IsValidSmtpPort(value)) return std::nullopt;
  return value;
}

uint32_t UsualSmtpPort(SmtpSecurity mode) {
  switch (mode) {
    case SmtpSecurity::StartTls: return kStartTlsSmtpPort;
    case SmtpSecurity::Tls: return kTlsSmtpPort;
    case SmtpSecurity::None: break;
  }
  return kDefaultSmtpPort;
}

uint32_t SmtpPortAfterSecurityChange(uint32_t port, SmtpSecurity mode) {
  if (port == kDefaultSmtpPort || port == kStartTlsSmtpPort || port == kTlsSmtpPort) return UsualSmtpPort(mode);
  return port;
}

}  // namespace vantrel
