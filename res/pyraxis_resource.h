// Resource ids of Pyraxis' dialogs and their controls.
#pragma once
#include "res/pyraxis_wizards_resource.h"
#include "res/pyraxis_relay_resource.h"

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The one-line text input (renaming documents)
#define IDD_GENERAL_INPUT 136
#define IDC_GENERAL_INPUT_TEXT 1002
#define IDC_GENERAL_INPUT_PROMPT 1003

// The chooser from a list of texts
#define IDD_GENERIC_CHOOSER 142
#define IDC_CHOOSER_PROMPT 1003
#define IDC_CHOOSER_LIST 1014

// The message box with the program's own button texts
#define IDD_GENERIC_MESSAGE 186
#define IDC_GENERIC_MESSAGE_TEXT 1355
#define IDC_GENERIC_MESSAGE_ICON 1356

// The device type of a manual connection
#define IDD_NEW_DEVICE 586
#define IDC_NEW_DEVICE_LIST 1014

// The first-run question and the search preferences
#define IDD_FIRSTRUN_AUTODETECT 610
#define IDC_FIRSTRUN_SERIAL 1322
#define IDC_FIRSTRUN_YES 1328
#define IDC_FIRSTRUN_NO 1329
#define IDC_FIRSTRUN_NETWORK 1330
#define IDC_FIRSTRUN_SERIAL_PORT 1331
#define IDC_FIRSTRUN_MESSAGE 1333
#define IDC_FIRSTRUN_NOTE 1334

// The device search
#define IDD_SEARCH_DEVICES 185
#define IDC_SEARCH_LABEL 1246
#define IDC_SEARCH_SEARCHING 1247
#define IDC_SEARCH_RESULTS 1324
#define IDC_SEARCH_START 1325
#define IDC_SEARCH_PROGRESS 1326

// The Modbus debug console
#define IDD_MODBUS_DEBUG 187
#define IDC_DEBUG_SHOW_STRING 1353
#define IDC_DEBUG_READ 1357
#define IDC_DEBUG_WRITE 1359
#define IDC_DEBUG_WRITE_COIL 1360
#define IDC_DEBUG_READ_ADDRESS 1361
#define IDC_DEBUG_COIL_OFF 1362
#define IDC_DEBUG_WRITE_ADDRESS 1364
#define IDC_DEBUG_COIL_ADDRESS 1365
#define IDC_DEBUG_WRITE_VALUES 1366
#define IDC_DEBUG_COIL_ON 1367
#define IDC_DEBUG_RAW 1368
#define IDC_DEBUG_RAW_BYTES 1369
#define IDC_DEBUG_OUTPUT 1370

// The property pages of devices and displays
#define IDD_PROPPAGE_CONNECTION 80
#define IDC_CONNECTION_ADDRESS 1013
#define IDC_CONNECTION_COM_PORT 1012
#define IDC_CONNECTION_TCP_PORT 1016
#define IDC_CONNECTION_LOCAL_PORT 1017
#define IDC_CONNECTION_TYPE 1154
#define IDC_CONNECTION_CONNECTED_TO 1155
#define IDC_CONNECTION_ADDRESS_LABEL 1156
#define IDC_CONNECTION_TCP_PORT_LABEL 1157
#define IDC_CONNECTION_LOCAL_LABEL 1158
#define IDC_CONNECTION_TCP_NOTE 1159
#define IDC_CONNECTION_LOCAL_NOTE 1160
#define IDC_CONNECTION_HOST 1231
#define IDD_PROPPAGE_PLOT_ITEMS 106
#define IDC_PLOT_ITEMS_LIST 1000
#define IDC_PLOT_ITEMS_REMOVE 1001
#define IDD_PROPPAGE_COILS 587
#define IDC_COILS_FORCE_OFF 1016
#define IDC_COILS_FORCE_ON 1017
#define IDC_COILS_LIST 1018
#define IDD_PROPPAGE_DEVICE_INFO 588
#define IDC_DEVICE_INFO_LIST 1014

#include "res/pyraxis_bars_resource.h"
#include "res/pyraxis_shell_resource.h"

#include "res/pyraxis_displays_resource.h"

// The Corandel Duo and Corandel MPPT setups
#include "res/pyraxis_corandel_resource.h"

// The Varnix setup dialogs and wizards
#include "res/pyraxis_varnix_resource.h"
