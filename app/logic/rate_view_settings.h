#pragma once
// Everything a rate view draws with, taken from the settings. Plain data so that the layout
// and maxima rules are unit-tested without a window.
#include <cstdint>

#include "settings/log_font.h"
#include "settings/options.h"
#include "ui/dpi_scale.h"

namespace vantrel {

struct RateViewSettings {
  // Switches
  bool title = true;
  bool graph = true;
  bool scaleGrid = true;
  bool scale = true;
  bool text = true;
  bool maxInText = true;
  bool textInGraphColours = true;  // TextCrSameAsGraphCr
  bool averagesInText = false;
  bool byteUnits = false;          // DisplayUnitByte
  bool avgDownLine = false;
  bool avgUpLine = false;
  bool timeGrid = true;
  bool timeText = true;
  bool columns = true;             // GraphStyle: on = columns, off = lines
  bool scaleGridOnTop = false;
  bool timeGridOnTop = true;
  bool timeTextAtTop = true;       // TimeTextOnTop
  // Colours, 0x00BBGGRR
  uint32_t graphBkg = 0xDEDBAD, down = 0x0000FF, up = 0x00CC00, both = 0x00FFFF, grid = 0x9E9E9E,
           avgDownLineColour = 0x000080, avgUpLineColour = 0x006400, titleBkg = 0x9E9E9E, titleText = 0xFFFFFF,
           scaleText = 0x000000, rateText = 0x000000, rateBkg = 0xFFFFFF, border = 0x333333,
           timeGridColour = 0x6E6E6E, timeTextColour = 0x3C3C3C;
  // Style
  uint32_t pulseWidth = 3;
  uint32_t pulseSpace = 1;
  uint32_t scaleGridLineStyle = 2;  // Win32 pen style, passed unchanged
  uint32_t timeGridLineStyle = 2;
  uint32_t timeGridIntervalSec = 30;
  uint32_t timeFormat = 0;          // 0 h:mm:ss, 1 h:mm, 2 mm:ss
  uint32_t rateHeightPercent = 95;  // 50 .. 100; other values are ignored
  // Fonts
  LogFontRecord titleFont = MakeLogFont(L"Tahoma", 13, 700);
  LogFontRecord rateFont = MakeLogFont(L"Tahoma", 13, 0);
  LogFontRecord scaleFont = MakeLogFont(L"Tahoma", 12, 0);
  LogFontRecord timeTextFont = MakeLogFont(L"Tahoma", 12, 700);
  // The resolution of the screen the view is on. The lengths above (pulse width and space,
  // font heights) are 96-DPI units, as stored; the view scales them to this when it uses them.
  unsigned dpi = kDefaultDpi;
};

// The view settings that the Options hold.
RateViewSettings RateViewSettingsFromOptions(const Options& o);

}  // namespace vantrel
