#pragma once
// Resource and control ids of the Traffic Reports window: its five pages and the controls the
// sheet adds beside its Close button. Plain macros for the resource compiler and the code.

// Pages, in the order of their tabs: summary, daily, weekly, monthly, chart.
#define IDD_SUM_DAILY 212
#define IDD_SUM_MONTHLY 213
#define IDD_SUM_SUMMARY 214
#define IDD_SUM_WEEKLY 215
#define IDD_SUM_CHART 223

// The sheet's own controls.
#define IDC_REPORT_CLEAR 105
#define IDC_REPORT_EXPORT 106
#define IDC_REPORT_ADAPTER 1043

// List pages.
#define IDC_WEEK_START_LABEL 1097
#define IDC_REPORT_LIST 1098
#define IDC_SELECTION_LINE 1099
#define IDC_MONTH_START_LABEL 1142
#define IDC_REPORT_HINT 1143

// Summary page: the "Until today" line, the eighteen cells by row (Downloaded, Uploaded,
// Both), the days edit with its spin, and the log file with its three buttons.
#define IDC_UNTIL_TODAY 1061
#define IDC_SUM_TODAY_DOWN 1062
#define IDC_SUM_TODAY_UP 1063
#define IDC_SUM_TODAY_BOTH 1064
#define IDC_SUM_WEEK_DOWN 1065
#define IDC_SUM_WEEK_UP 1066
#define IDC_SUM_WEEK_BOTH 1067
#define IDC_SUM_MONTH_DOWN 1068
#define IDC_SUM_MONTH_UP 1069
#define IDC_SUM_MONTH_BOTH 1070
#define IDC_SUM_YEAR_DOWN 1071
#define IDC_SUM_YEAR_UP 1072
#define IDC_SUM_YEAR_BOTH 1073
#define IDC_SUM_TOTAL_DOWN 1074
#define IDC_SUM_TOTAL_UP 1075
#define IDC_SUM_TOTAL_BOTH 1076
#define IDC_SUM_LAST_DOWN 1277
#define IDC_SUM_LAST_UP 1278
#define IDC_SUM_LAST_BOTH 1279
#define IDC_LOG_CHANGE 1115
#define IDC_LOG_PATH 1116
#define IDC_LAST_DAYS 1131
#define IDC_LAST_DAYS_SPIN 1135
#define IDC_LOG_BACKUP 1193
#define IDC_LOG_RESTORE 1194

// Chart page: the range choice, the chart (a placeholder the page replaces with the chart
// window) and the line under it.
#define IDC_CHART_VIEW 1320
#define IDC_CHART_DAYS 1321
#define IDC_CHART_WEEKS 1322
#define IDC_CHART_MONTHS 1323
#define IDC_CHART_OUTLOOK 1324
