#pragma once
// The Graph & Text page of the Options sheet (dialog 207): the fifteen colours, the four
// fonts and the graph's style values.
#include "app/win32/options_sheet.h"

namespace vantrel {

class COptGraphTextPage : public COptionsPage {
 public:
  explicit COptGraphTextPage(COptionsSheet& sheet);

  // The page's copy of the settings, handed to the main window with code 202.
  const Options& Values() const { return m_values; }

 protected:
  void InitPage() override;
  PageCheck CheckPage() override;
  bool SendToMain() override;
  bool OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  Options m_values;
};

}  // namespace vantrel
