#include "app/logic/options_apply.h"

#include "app/logic/menu_rules.h"

namespace vantrel {

namespace {

constexpr int32_t kPeriodWeek = 0;
constexpr int32_t kPeriodMonth = 1;

bool Flag(uint32_t v) { return v != 0; }

}  // namespace

GeneralApplyPlan PlanGeneralApply(const Options& current, const Options& page, bool layered) {
  GeneralApplyPlan plan;
  if (!GraphOrTextShown(page)) {
    plan.refused = true;
    return plan;
  }
  bool wasOn = Flag(current.hotkeyEnabled), nowOn = Flag(page.hotkeyEnabled);
  if (nowOn && !wasOn)
    plan.hotkey = HotkeyAction::Register;
  else if (!nowOn && wasOn)
    plan.hotkey = HotkeyAction::Unregister;
  else if (nowOn && page.hotkeyChar != current.hotkeyChar)
    plan.hotkey = HotkeyAction::Reregister;
  plan.topmost = Flag(page.alwaysOnTop) != Flag(current.alwaysOnTop);
  plan.caption = Flag(page.showCaption) != Flag(current.showCaption);
  plan.layered = layered && (Flag(page.semiTransparent) != Flag(current.semiTransparent) ||
                             page.transparentPercent != current.transparentPercent ||
                             Flag(page.enableClickThrough) != Flag(current.enableClickThrough));
  plan.recaption = Flag(page.showIPInTitle) != Flag(current.showIPInTitle);
  plan.margins = page.rateViewMargins != current.rateViewMargins;
  plan.startWithWindows = Flag(page.startWithWindows) != Flag(current.startWithWindows);
  if (Flag(current.notificationEnabled)) {
    int32_t period = current.notification.period;
    plan.notificationRecompute = (period == kPeriodWeek && page.weekStartDay != current.weekStartDay) ||
                                 (period == kPeriodMonth && page.monthStartDay != current.monthStartDay);
  }
  return plan;
}

void TakeGeneralValues(const Options& p, bool layered, Options* o) {
  o->showIPInTitle = p.showIPInTitle;
  o->weekStartDay = p.weekStartDay;
  o->monthStartDay = p.monthStartDay;
  o->dateFormat = p.dateFormat;
  o->hotkeyEnabled = p.hotkeyEnabled;
  o->hotkeyChar = p.hotkeyChar;
  o->alwaysOnTop = p.alwaysOnTop;
  o->showCaption = p.showCaption;
  if (layered) {
    o->semiTransparent = p.semiTransparent;
    o->transparentPercent = p.transparentPercent;
    o->enableClickThrough = p.enableClickThrough;
  }
  o->startMinimized = p.startMinimized;
  o->startWithWindows = p.startWithWindows;
  o->rateViewMargins = p.rateViewMargins;
  o->displayUnitByte = p.displayUnitByte;
  o->displayTitle = p.displayTitle;
  o->displayGraph = p.displayGraph;
  o->displayScaleGrid = p.displayScaleGrid;
  o->displayScale = p.displayScale;
  o->displayText = p.displayText;
  o->displayMaxRateInText = p.displayMaxRateInText;
  o->textCrSameAsGraphCr = p.textCrSameAsGraphCr;
  o->dispAvgValuesInText = p.dispAvgValuesInText;
  o->dispAvgDownLine = p.dispAvgDownLine;
  o->dispAvgUpLine = p.dispAvgUpLine;
  o->displayTimeGrid = p.displayTimeGrid;
  o->displayTimeText = p.displayTimeText;
  o->scaleGridOnTop = p.scaleGridOnTop;
  o->timeGridOnTop = p.timeGridOnTop;
  o->timeTextOnTop = p.timeTextOnTop;
}

void TakeGraphTextValues(const Options& p, Options* o) {
  o->graphBkgColor = p.graphBkgColor;
  o->downColor = p.downColor;
  o->upColor = p.upColor;
  o->bothDownUpColor = p.bothDownUpColor;
  o->gridColor = p.gridColor;
  o->avgDownLineColor = p.avgDownLineColor;
  o->avgUpLineColor = p.avgUpLineColor;
  o->titleBkgColor = p.titleBkgColor;
  o->titleTextColor = p.titleTextColor;
  o->scaleTextColor = p.scaleTextColor;
  o->rateTextColor = p.rateTextColor;
  o->rateBkgColor = p.rateBkgColor;
  o->borderColor = p.borderColor;
  o->timeGridColor = p.timeGridColor;
  o->timeTextColor = p.timeTextColor;
  o->titleFont = p.titleFont;
  o->rateFont = p.rateFont;
  o->scaleFont = p.scaleFont;
  o->timeTextFont = p.timeTextFont;
  o->pulseSpace = p.pulseSpace;
  o->pulseWidth = p.pulseWidth;
  o->scaleGridLineStyle = p.scaleGridLineStyle;
  o->timeGridLineStyle = p.timeGridLineStyle;
  o->timeGridIntervalSec = p.timeGridIntervalSec;
  o->timeFormat = p.timeFormat;
  o->rateHeightPercent = p.rateHeightPercent;
  o->graphStyle = p.graphStyle;
}

}  // namespace vantrel
