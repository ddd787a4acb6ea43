// Resource ids of the dialog and wizard tests (3000 and up, clear of the other suites).
#pragma once

#define IDD_DDX_TEST 3000
#define IDC_DDX_INT 3001
#define IDC_DDX_DOUBLE 3002
#define IDC_DDX_TEXT 3003
#define IDC_DDX_CHECK 3004
#define IDC_DDX_RADIO_A 3005
#define IDC_DDX_RADIO_B 3006
#define IDC_DDX_RADIO_C 3007
#define IDC_DDX_COMBO 3008
#define IDC_DDX_UINT 3009
#define IDC_DDX_FLOAT 3010
#define IDC_DDX_APPLY 3011

#define IDD_WIZARD_PAGE_1 3100
#define IDD_WIZARD_PAGE_2 3101
#define IDD_WIZARD_PAGE_3 3102
#define IDC_WIZARD_NAME 3110
