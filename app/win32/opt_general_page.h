#pragma once
// The General page of the Options sheet (dialog 206): the window, start-up, hot-key,
// transparency, calendar and date settings, the display switches and the unit.
#include "app/win32/options_sheet.h"

namespace vantrel {

class COptGeneralPage : public COptionsPage {
 public:
  explicit COptGeneralPage(COptionsSheet& sheet);

  // The page's copy of the settings, handed to the main window with code 201.
  const Options& Values() const { return m_values; }

 protected:
  void InitPage() override;
  PageCheck CheckPage() override;
  bool SendToMain() override;
  bool OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  Options m_values;
  bool m_layered;
};

}  // namespace vantrel
