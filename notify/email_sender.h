#pragma once
// Sending the e-mails of both programs: the bandwidth-usage alert and the E-mail Settings
// dialog's test e-mail, from the settings to a running sender thread.
#include <cstdint>
#include <memory>
#include <string>

#include "notify/email_message.h"
#include "notify/email_settings.h"
#include "notify/smtp_client.h"

namespace vantrel {

// Where the outcome of one message goes.
struct MailReply {
  uintptr_t window = 0;          // the reply window (interactive program); 0 in the service
  bool windowRequired = false;   // true in the interactive program: no window is invalid
  MailResultCallback onResult;   // called on the sender thread (the interactive program posts
                                 // UM_EMAIL_RESULT from it, the service logs)
};

// A request for `message` to `recipients`, every text converted to 8-bit with the system code
// page; account and password are filled only when the server requires authentication; the
// port and security come from the settings.
std::unique_ptr<MailRequest> MakeMailRequest(const EmailSettings& settings, const std::wstring& recipients,
                                             const std::wstring& message, const MailReply& reply);

// Sends the bandwidth-usage alert: nothing happens (false) when the settings are incomplete
// (see EmailSettingsComplete); otherwise the message is expanded from the templates and a
// sender thread started. True when a sender thread was started.
bool SendAlertEmail(const EmailSettings& settings, const std::wstring& recipients,
                    const EmailPlaceholders& values, const MailReply& reply, const SmtpTimings& timings = {});
bool SendAlertEmail(const EmailSettings& settings, const std::wstring& recipients,
                    const EmailPlaceholders& values, const MailReply& reply, const SmtpTimings& timings,
                    ISocketApi& sockets);

// Sends the dialog's test e-mail (BuildTestEmailMessage) to testAddress. The dialog checks its
// fields first. True when a sender thread was started.
bool SendTestEmail(const EmailSettings& settings, const std::wstring& testAddress, const MailReply& reply,
                   const SmtpTimings& timings = {});

}  // namespace vantrel
