#pragma once
// Resource and command ids of OrlixVantrel. Plain macros so that the resource compiler, the
// Win32 code and the portable menu rules all read the same numbers.

// Dialogs, menus, accelerators, icons, cursors, toolbar
#define IDD_MAIN 102
#define IDR_MAINFRAME 128
#define IDR_ACCELERATORS 129
#define IDR_POPUP_MENU 130
#define IDR_MENU_IMAGES 136
#define IDI_TRAY_IDLE 140
#define IDI_TRAY_UP 141
#define IDI_TRAY_DOWN 142
#define IDI_TRAY_BOTH 143
#define IDC_VSPLIT 150
// The menu images drawn at 20, 24, 32 and 48 pixels (the toolbar's order).
#define IDB_MENU_IMAGES_20 160
#define IDB_MENU_IMAGES_24 161
#define IDB_MENU_IMAGES_32 162
#define IDB_MENU_IMAGES_48 163

// Pop-up menu
#define ID_SHOW 32771
#define ID_HIDE 32772
#define ID_OPTIONS 32773
#define ID_TRAFFIC_REPORTS 32774
#define ID_STOPWATCH 32786
#define ID_RATES_RECORDER 32802
#define ID_TCP_CONNECTIONS 32803
#define ID_EXIT 32795
#define ID_RESET_ALL_RATES 32809
#define ID_HELP_CONTENTS 57670
#define ID_HOME_PAGE 32810
#define ID_EMAIL_SUPPORT 32811
#define ID_CHECK_UPDATE 32812
#define ID_TELL_FRIEND 32813
#define ID_APP_ABOUT 57664
#define ID_ADAPTERS_PLACEHOLDER 32999

// View sub-menu
#define ID_VIEW_TITLE 32776
#define ID_VIEW_IP_IN_TITLE 32804
#define ID_VIEW_GRAPH 32777
#define ID_VIEW_COLUMN_GRAPH 32821
#define ID_VIEW_LINE_GRAPH 32822
#define ID_VIEW_SCALE 32778
#define ID_VIEW_SCALE_GRID 32782
#define ID_VIEW_TIME_TEXT 32819
#define ID_VIEW_TIME_GRID 32820
#define ID_VIEW_AVG_DOWN_LINE 32817
#define ID_VIEW_AVG_UP_LINE 32818
#define ID_VIEW_TEXT 32779
#define ID_VIEW_MAX_RATE 32783
#define ID_VIEW_AVG_VALUES 32816
#define ID_VIEW_UNIT_BYTES 32780
#define ID_VIEW_UNIT_BITS 32781
#define ID_VIEW_ALWAYS_ON_TOP 32784
#define ID_VIEW_CAPTION 32794
#define ID_VIEW_CLICK_THROUGH 32814
#define ID_VIEW_SEMI_TRANSPARENT 32815
#define ID_VIEW_RESET_POSITION 32807

// Not in the menu
#define ID_NOTIFICATION_DIALOG 32805
#define ID_OPEN_MENU 32806

// Adapter items: 9000 .. 9299 in the Adapters sub-menu, 9300 .. 9599 in Reset Rates.
#define ID_ADAPTER_FIRST 9000
#define ID_ADAPTER_LAST 9299
#define ID_RESET_FIRST 9300
#define ID_RESET_LAST 9599
