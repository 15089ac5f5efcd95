// Resource and control identifiers of QelChart.
#pragma once

#define IDD_ABOUTBOX                    100
#define IDS_ABOUTBOX                    101
#define IDD_CALIBRATE_DIALOG            102
#define IDR_MAINFRAME                   128
#define IDR_LANG_ENGLISH                129
#define IDR_LANG_CHINESE_TRADITIONAL    130
#define IDR_LANG_CHINESE_SIMPLIFIED     131
#define IDB_POSITION_CHART              200

// Controls that are never addressed.
#define IDC_STATIC                      -1

#define IDC_EDIT_L                      1000
#define IDC_SPIN_L                      1001
#define IDC_EDIT_T                      1002
#define IDC_SPIN_T                      1003
#define IDC_EDIT_S                      1004
#define IDC_SPIN_S                      1005
#define IDC_BUTTON_APPLY                1006
#define IDC_BUTTON_READ                 1007

// System-menu command of the About item.
#define IDM_ABOUTBOX                    0x0010
// The framework's Help command.
#define ID_HELP                         0xE146
