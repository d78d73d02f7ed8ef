#pragma once
// Resource and control ids of the Traffic Rates Recorder dialog.
#define IDD_RATES_RECORDER 217

#define IDC_RECORD_LIST 1088
#define IDC_RECORD_FILE 1089
#define IDC_RECORD_BROWSE 1090
#define IDC_RECORD_CHECK 1091
#define IDC_RECORD_INTERVAL 1093
#define IDC_RECORD_INTERVAL_SPIN 1094
#define IDC_RECORD_NUMBERS_ONLY 1095
#define IDC_RECORD_LETTERS 1096
