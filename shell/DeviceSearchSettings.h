// Where the device search looks, and whether the first-run question was answered: the
// user's choices under the program's registry key.
#pragma once
#include "framework/FrameworkBase.h"

extern const char* const PYRAXIS_REGISTRY_KEY;          // "Software\QuorvantCorp\Pyraxis"
extern const char* const REG_FIRST_RUN_SCAN_DEVICES;    // non-zero once the question was answered
extern const char* const REG_SCAN_FOR_DEVICES_SERIAL;   // -1 all ports, n port COMn, 0 none
extern const char* const REG_SCAN_FOR_DEVICES_NETWORK;  // non-zero: the local networks too

bool GetFirstRunScanDone();
int GetScanForDevicesSerial();
bool GetScanForDevicesNetwork();
