// Resource ids of the displays: the new-display dialog, the Logger's form and the
// display templates' strings.
#pragma once

#define IDR_DISPLAY_STATE 132
#define IDR_DISPLAY_LOGGER 133
#define IDR_DISPLAY_GRAPH_TIME 134

#define IDD_NEW_DISPLAY 141
#define IDC_NEW_DISPLAY_LIST 1014

#define IDC_STATE_LIST 142

#define IDD_DISPLAY_LOGGER 183
#define IDC_LOGGER_FILE_NAME 1271
#define IDC_LOGGER_BROWSE 1272
#define IDC_LOGGER_INFORMATION 1273
#define IDC_LOGGER_SECONDS 1274
#define IDC_LOGGER_RECORD 1275
#define IDC_LOGGER_VARIABLES 1276
#define IDC_LOGGER_HOURS 1277
#define IDC_LOGGER_MINUTES 1278
#define IDC_LOGGER_REMOVE 1279
#define IDC_LOGGER_STOP 1280
