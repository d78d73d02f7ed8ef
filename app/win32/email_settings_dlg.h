#pragma once
// CEmailSettingsDlg: the E-mail Settings dialog (219). It edits a copy of the e-mail settings
// (server, sender, authentication, account, password, subject and body templates), previews
// the templates with sample values and sends a test e-mail on a sender thread of its own,
// whose outcome comes back as UM_EMAIL_RESULT. OK checks the fields and keeps the copy.
#include <windows.h>

#include "notify/email_settings.h"
#include "ui/dialog_font.h"
#include "ui/window.h"

namespace vantrel {

class CEmailSettingsDlg : public ui::CDialog {
 public:
  explicit CEmailSettingsDlg(const EmailSettings& settings) : m_settings(settings) {}

  // Runs the dialog modally; true after OK with the checks passed.
  bool Run(HINSTANCE instance, HWND owner);
  const EmailSettings& Settings() const { return m_settings; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  EmailSettings ReadFields() const;
  void EnableAuthentication(bool focus);
  SmtpSecurity SelectedSecurity() const;
  // A security mode chosen while the port holds another mode's usual number takes its own.
  void OnSecurityChanged();
  // Runs the fields' checks; false (after the warning, with the focus moved) on a failure.
  bool FieldsPass(const EmailSettings& fields);
  void OnPreview();
  void OnTestEmail();
  void OnTestResult(LPARAM error);
  void OnOk();

  EmailSettings m_settings;
  bool m_sending = false;
  bool m_plainPasswordAccepted = false;  // asked once per opening
};

}  // namespace vantrel
