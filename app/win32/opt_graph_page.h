#pragma once
// The Graph & Text page of the Options sheet (dialog 207): the fifteen colours, the four
// fonts and the graph's style values.
#include "app/win32/options_sheet.h"
#include "ui/color_button.h"

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
  static constexpr int kColours = 15;
  static constexpr int kFonts = 4;
  void OnColorClicked(int index);
  void OnColorChanged(int index);
  void OnFontClicked(int index);
  void ShowFontNames();
  int ColorIndexOf(int id) const;
  int FontIndexOf(int id) const;

  Options m_values;
  ui::CColorButton m_colorButtons[kColours];
};

}  // namespace vantrel
