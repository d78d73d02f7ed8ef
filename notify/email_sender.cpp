#include "notify/email_sender.h"

#include "platform/text.h"

namespace vantrel {

std::unique_ptr<MailRequest> MakeMailRequest(const EmailSettings& settings, const std::wstring& recipients,
                                             const std::wstring& message, const MailReply& reply) {
  auto request = std::make_unique<MailRequest>();
  request->server = WideToAnsi(settings.smtpServer);
  request->sender = WideToAnsi(settings.mailFrom);
  request->recipients = WideToAnsi(recipients);
  request->authentication = settings.srvReqAuth ? 1 : 0;
  if (settings.srvReqAuth) {
    request->account = WideToAnsi(settings.authName);
    request->password = WideToAnsi(settings.authPass);
  }
  request->message = WideToAnsi(message);
  request->port = static_cast<uint16_t>(IsValidSmtpPort(settings.smtpPort) ? settings.smtpPort : kDefaultSmtpPort);
  request->security = settings.smtpSecurity;
  request->replyWindow = reply.window;
  request->requireReplyWindow = reply.windowRequired;
  return request;
}

bool SendAlertEmail(const EmailSettings& settings, const std::wstring& recipients,
                    const EmailPlaceholders& values, const MailReply& reply, const SmtpTimings& timings,
                    ISocketApi& sockets) {
  if (!EmailSettingsComplete(settings)) return false;
  std::wstring message = ExpandEmailTemplate(settings, recipients, values);
  return SendMailThread(MakeMailRequest(settings, recipients, message, reply), reply.onResult, timings, sockets);
}

bool SendAlertEmail(const EmailSettings& settings, const std::wstring& recipients,
                    const EmailPlaceholders& values, const MailReply& reply, const SmtpTimings& timings) {
  return SendAlertEmail(settings, recipients, values, reply, timings, SystemSocketApi());
}

bool SendTestEmail(const EmailSettings& settings, const std::wstring& testAddress, const MailReply& reply,
                   const SmtpTimings& timings) {
  std::wstring message = BuildTestEmailMessage(settings, testAddress);
  return SendMailThread(MakeMailRequest(settings, testAddress, message, reply), reply.onResult, timings);
}

}  // namespace vantrel
