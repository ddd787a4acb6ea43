// Resource and control ids of the docking library's bars: the sizing bar's caption
// buttons, cursors and tips, and the tabbed bar's tab control.
#pragma once

#define IDS_BN_HIDE_DOCKED 5000
#define IDS_BN_EXPAND_DOCKED 5002
#define IDS_BN_CONTRACT_DOCKED 5004
#define IDC_BN_HAND 5005
#define IDB_BN_BAR_BUTTONS 5006
#define IDC_BN_TABCTRL 5007
#define IDC_BN_BUTTON_CLOSE 5012
#define IDC_BN_BUTTON_MINIMIZE 5013
#define IDC_BN_SPLIT_HORZ 5020
#define IDC_BN_SPLIT_VERT 5022
