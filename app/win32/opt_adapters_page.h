#pragma once
// The Adapters page of the Options sheet (dialog 209): which adapters have a rate view, their
// names and connection speeds, and the tray icon's settings.
#include "app/win32/options_sheet.h"

namespace vantrel {

class COptAdaptersPage : public COptionsPage {
 public:
  explicit COptAdaptersPage(COptionsSheet& sheet);

  // The page's values, handed to the main window with code 203.
  const AdaptersPageValues& Values() const { return m_values; }

 protected:
  void InitPage() override;
  PageCheck CheckPage() override;
  bool SendToMain() override;
  bool OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  AdaptersPageValues m_values;
};

}  // namespace vantrel
