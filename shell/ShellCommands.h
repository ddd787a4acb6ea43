// Command ids of the main frame's menu (the device and wizard commands are declared with
// the documents that post them) and the main frame's private messages.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/StorageDispatcher_t.h"

const UINT ID_VIEW_EDGEBAR = 32771;
const UINT ID_DEVICES_SEARCH = 32772;
const UINT ID_DEVICES_MANUAL_CONNECTION = 32773;
const UINT ID_DEVICES_CONNECT_ALL = 32774;
const UINT ID_DEVICE_PROPERTIES = 32775;
const UINT ID_DEVICE_RENAME = 32776;
const UINT ID_LOGFILE_OPEN = 32777;
const UINT ID_WORKSPACE_SAVE = 32779;
const UINT ID_WORKSPACE_SAVE_AS = 32780;
const UINT ID_VIEW_DEVICES_TAB = 32781;
const UINT ID_DISPLAY_NEW = 32783;
const UINT ID_TOOLS_PREFERENCES = 32796;

// The help request to a dialog or page: wParam the help command, lParam its data; a
// non-zero answer means the window gave its own help. It has a number of its own: the
// programming threads' failure notice (WM_APP_PROG_FAILED) is 0x8002, and a progress page
// must never take a help request for a failed run.
const UINT WM_APP_HELP_REQUEST = 0x8010;
// wParam: the id of a registered device whose connection the frame opens.
const UINT WM_APP_OPEN_ENDPOINT = 0x8003;
// lParam: the DeviceOpenOutcome_t of a connection opened (or not) by the frame's connector.
const UINT WM_APP_CONNECT_DONE = 0x8005;
// lParam: the DeviceLogOutcome_t of a device's log opened (or not) by the frame's log opener.
const UINT WM_APP_DEVICE_LOG_OPENED = 0x8007;

const int EDGE_BAR_DEVICES_TAB = 0;
const int EDGE_BAR_LOG_FILES_TAB = 1;
