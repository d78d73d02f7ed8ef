#include "app/logic/rate_view_settings.h"

namespace vantrel {

RateViewSettings RateViewSettingsFromOptions(const Options& o) {
  RateViewSettings s;
  s.title = o.displayTitle != 0;
  s.graph = o.displayGraph != 0;
  s.scaleGrid = o.displayScaleGrid != 0;
  s.scale = o.displayScale != 0;
  s.text = o.displayText != 0;
  s.maxInText = o.displayMaxRateInText != 0;
  s.textInGraphColours = o.textCrSameAsGraphCr != 0;
  s.averagesInText = o.dispAvgValuesInText != 0;
  s.byteUnits = o.displayUnitByte != 0;
  s.avgDownLine = o.dispAvgDownLine != 0;
  s.avgUpLine = o.dispAvgUpLine != 0;
  s.timeGrid = o.displayTimeGrid != 0;
  s.timeText = o.displayTimeText != 0;
  s.columns = o.graphStyle != 0;
  s.scaleGridOnTop = o.scaleGridOnTop != 0;
  s.timeGridOnTop = o.timeGridOnTop != 0;
  s.timeTextAtTop = o.timeTextOnTop != 0;
  s.graphBkg = o.graphBkgColor;
  s.down = o.downColor;
  s.up = o.upColor;
  s.both = o.bothDownUpColor;
  s.grid = o.gridColor;
  s.avgDownLineColour = o.avgDownLineColor;
  s.avgUpLineColour = o.avgUpLineColor;
  s.titleBkg = o.titleBkgColor;
  s.titleText = o.titleTextColor;
  s.scaleText = o.scaleTextColor;
  s.rateText = o.rateTextColor;
  s.rateBkg = o.rateBkgColor;
  s.border = o.borderColor;
  s.timeGridColour = o.timeGridColor;
  s.timeTextColour = o.timeTextColor;
  s.pulseWidth = o.pulseWidth;
  s.pulseSpace = o.pulseSpace;
  s.scaleGridLineStyle = o.scaleGridLineStyle;
  s.timeGridLineStyle = o.timeGridLineStyle;
  s.timeGridIntervalSec = o.timeGridIntervalSec;
  s.timeFormat = o.timeFormat;
  s.rateHeightPercent = o.rateHeightPercent;
  s.titleFont = o.titleFont;
  s.rateFont = o.rateFont;
  s.scaleFont = o.scaleFont;
  s.timeTextFont = o.timeTextFont;
  return s;
}

}  // namespace vantrel
