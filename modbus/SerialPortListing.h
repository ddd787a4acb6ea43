// The computer's serial ports, found in the registry (no port is opened).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

#include <vector>

struct SerialPortInfo_t
{
    CString portName;     // "COM3"
    CString friendlyName; // shown to the user; the port name when the registry has none
};

// Called once per port found; FALSE stops the enumeration (which still succeeds).
typedef BOOL (*SerialPortCallback)(void* user, const SerialPortInfo_t& port);

// Appends every port found, then sorts the whole list by port name (case-insensitive)
// and keeps one entry per name. Not reentrant: one listing at a time.
bool ListSerialPorts(std::vector<SerialPortInfo_t>& ports);

// Picks the method by the Windows version. On failure FALSE with the reason as the
// thread's last error.
BOOL EnumerateSerialPorts(SerialPortCallback callback, void* user);
// Windows NT 4: the values of HARDWARE\DEVICEMAP\SERIALCOMM.
BOOL EnumerateSerialPortsFromDeviceMap(SerialPortCallback callback, void* user);
// Walks enumerator\device\instance below the given key of HKEY_LOCAL_MACHINE.
BOOL EnumerateSerialPortsFromEnumKey(SerialPortCallback callback, void* user, LPCSTR enumKey);

// Opens the index-th sub-key of key; returns the registry's error code.
LONG OpenSubKeyByIndex(HKEY key, DWORD index, REGSAM access, HKEY* subKey);
// Frees buffer, then reads the value into a new heap buffer (always NUL-terminated)
// that the caller frees with free().
LONG QueryRegistryValueAlloc(LPBYTE& buffer, HKEY key, LPCSTR valueName);
