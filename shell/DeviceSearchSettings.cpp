#include "shell/DeviceSearchSettings.h"
#include "documents/RegistryHelpers.h"

const char* const PYRAXIS_REGISTRY_KEY = "Software\\QuorvantCorp\\Pyraxis";
const char* const REG_FIRST_RUN_SCAN_DEVICES = "FirstRunScanDevices";
const char* const REG_SCAN_FOR_DEVICES_SERIAL = "ScanForDevicesSerial";
const char* const REG_SCAN_FOR_DEVICES_NETWORK = "ScanForDevicesNetwork";

bool GetFirstRunScanDone()
{
    return ReadRegistryDword(PYRAXIS_REGISTRY_KEY, REG_FIRST_RUN_SCAN_DEVICES, 0) != 0;
}

int GetScanForDevicesSerial()
{
    return static_cast<int>(ReadRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL, static_cast<DWORD>(-1)));
}

bool GetScanForDevicesNetwork()
{
    return ReadRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_NETWORK, 1) != 0;
}
