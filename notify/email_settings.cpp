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
  return ok;
}

bool EmailSettingsComplete(const EmailSettings& s) {
  if (s.smtpServer.empty() || s.mailFrom.empty()) return false;
  if (s.emlTempSubject.empty() && s.emlTempBody.empty()) return false;
  if (s.srvReqAuth && s.authName.empty()) return false;
  return true;
}

}  // namespace vantrel
