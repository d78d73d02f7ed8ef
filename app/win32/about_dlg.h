#pragma once
// CAboutDlg: About (dialog 210): the program icon, the version line, the update check and
// tell-a-friend buttons, and the links to the home page and to support.
#include <windows.h>

#include "ui/dialog_font.h"
#include "ui/hyperlink.h"
#include "ui/window.h"

namespace vantrel {

class CAboutDlg : public ui::CDialog {
 public:
  explicit CAboutDlg(HICON icon) : m_icon(icon) {}
  void Run(HINSTANCE instance, HWND owner);

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  HICON m_icon;
  ui::CHyperlink m_homeLink;
  ui::CHyperlink m_supportLink;
};

}  // namespace vantrel
