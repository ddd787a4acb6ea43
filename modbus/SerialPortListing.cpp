#include "modbus/SerialPortListing.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace
{
const char kPortsClassGuid[] = "{4D36E978-E325-11CE-BFC1-08002BE10318}";
// Bounds a registry that keeps answering "more data".
const int kMaxBufferGrowths = 32;

// The list being filled by ListSerialPorts.
std::vector<SerialPortInfo_t>* g_listBeingFilled = nullptr;

BOOL AppendToList(void* /*user*/, const SerialPortInfo_t& port)
{
    g_listBeingFilled->push_back(port);
    return TRUE;
}

// Reads a string value into a fixed buffer of bufferBytes; false when it does not
// fit or is missing.
bool ReadFixedString(HKEY key, LPCSTR valueName, char* buffer, DWORD bufferBytes)
{
    ZeroMemory(buffer, bufferBytes + 1);
    DWORD size = bufferBytes;
    return RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer),
                            &size) == ERROR_SUCCESS;
}

bool IsPortInstance(HKEY instance)
{
    char className[6 + 1];
    if (ReadFixedString(instance, "CLASS", className, 6) && _stricmp(className, "PORTS") == 0)
        return true;
    char classGuid[39 + 1];
    return ReadFixedString(instance, "CLASSGUID", classGuid, 39) &&
           _stricmp(classGuid, kPortsClassGuid) == 0;
}

// Reports the port of one instance key. Returns ERROR_SUCCESS to go on, the
// registry error that ends the walk, or ERROR_CANCELLED when the callback stopped.
LONG VisitInstance(HKEY instance, SerialPortCallback callback, void* user)
{
    if (!IsPortInstance(instance))
        return ERROR_SUCCESS;

    LPBYTE portName = nullptr;
    LPBYTE friendlyName = nullptr;
    LONG result = QueryRegistryValueAlloc(portName, instance, "PORTNAME");
    if (result == ERROR_FILE_NOT_FOUND)
    {
        // USB adapters and the like keep the name one level down.
        HKEY parameters = nullptr;
        if (RegOpenKeyExA(instance, "DEVICE PARAMETERS", 0, KEY_READ, &parameters) == ERROR_SUCCESS)
        {
            result = QueryRegistryValueAlloc(portName, parameters, "PORTNAME");
            RegCloseKey(parameters);
        }
    }

    LONG outcome = ERROR_SUCCESS;
    if (result == ERROR_SUCCESS &&
        _strnicmp(reinterpret_cast<const char*>(portName), "COM", 3) == 0)
    {
        result = QueryRegistryValueAlloc(friendlyName, instance, "FRIENDLYNAME");
        if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        {
            SerialPortInfo_t port;
            port.portName = reinterpret_cast<const char*>(portName);
            port.friendlyName = result == ERROR_SUCCESS ? CString(reinterpret_cast<const char*>(friendlyName))
                                                        : port.portName;
            if (!callback(user, port))
                outcome = ERROR_CANCELLED;
        }
        else
            outcome = result;
    }
    else if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        outcome = result;
    // A missing name, or a port that is no COM port, is skipped.

    free(portName);
    free(friendlyName);
    return outcome;
}
}

LONG OpenSubKeyByIndex(HKEY key, DWORD index, REGSAM access, HKEY* subKey)
{
    DWORD bufferSize = 128;
    for (int growth = 0; growth <= kMaxBufferGrowths; ++growth)
    {
        char* name = static_cast<char*>(malloc(bufferSize));
        if (!name)
            return ERROR_NOT_ENOUGH_MEMORY;
        DWORD nameSize = bufferSize;
        LONG result = RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS)
            result = RegOpenKeyExA(key, name, 0, access, subKey);
        free(name);
        if (result != ERROR_MORE_DATA)
            return result;
        bufferSize = bufferSize * 2 + 2;
    }
    return ERROR_MORE_DATA;
}

LONG QueryRegistryValueAlloc(LPBYTE& buffer, HKEY key, LPCSTR valueName)
{
    free(buffer);
    buffer = nullptr;
    DWORD bufferSize = 128;
    for (int growth = 0; growth <= kMaxBufferGrowths; ++growth)
    {
        // One byte more than the registry may fill, so the text always ends.
        buffer = static_cast<LPBYTE>(calloc(bufferSize + 1, 1));
        if (!buffer)
            return ERROR_NOT_ENOUGH_MEMORY;
        DWORD size = bufferSize;
        const LONG result = RegQueryValueExA(key, valueName, nullptr, nullptr, buffer, &size);
        if (result != ERROR_MORE_DATA)
            return result;
        free(buffer);
        buffer = nullptr;
        bufferSize = size > bufferSize ? size : bufferSize * 2;
    }
    return ERROR_MORE_DATA;
}

BOOL EnumerateSerialPortsFromDeviceMap(SerialPortCallback callback, void* user)
{
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key);
    if (result == ERROR_FILE_NOT_FOUND)
        return TRUE; // no serial port on this machine
    if (result != ERROR_SUCCESS)
    {
        SetLastError(static_cast<DWORD>(result));
        return FALSE;
    }

    DWORD nameBytes = 32;
    DWORD dataBytes = 32;
    char* name = static_cast<char*>(malloc(nameBytes));
    BYTE* data = static_cast<BYTE*>(calloc(dataBytes + 1, 1));
    DWORD index = 0;
    int growths = 0;
    for (;;)
    {
        if (!name || !data)
        {
            result = ERROR_NOT_ENOUGH_MEMORY;
            break;
        }
        DWORD nameSize = nameBytes;
        DWORD dataSize = dataBytes;
        ZeroMemory(data, dataBytes + 1);
        result = RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, data, &dataSize);
        if (result == ERROR_MORE_DATA && growths++ < kMaxBufferGrowths)
        {
            // Read the same index again with larger buffers.
            nameBytes = nameBytes * 2 + 2;
            if (dataSize > dataBytes)
                dataBytes = dataSize;
            free(name);
            free(data);
            name = static_cast<char*>(malloc(nameBytes));
            data = static_cast<BYTE*>(calloc(dataBytes + 1, 1));
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        growths = 0;
        SerialPortInfo_t port;
        port.portName = reinterpret_cast<const char*>(data);
        port.friendlyName = port.portName;
        if (!callback(user, port))
            break;
        ++index;
    }

    free(name);
    free(data);
    RegCloseKey(key);
    if (result == ERROR_SUCCESS || result == ERROR_NO_MORE_ITEMS)
        return TRUE;
    SetLastError(static_cast<DWORD>(result));
    return FALSE;
}

BOOL EnumerateSerialPortsFromEnumKey(SerialPortCallback callback, void* user, LPCSTR enumKey)
{
    HKEY root = nullptr;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, enumKey, 0, KEY_ENUMERATE_SUB_KEYS, &root);
    if (result != ERROR_SUCCESS)
    {
        SetLastError(static_cast<DWORD>(result));
        return FALSE;
    }

    LONG outcome = ERROR_SUCCESS;
    for (DWORD i1 = 0; outcome == ERROR_SUCCESS; ++i1)
    {
        HKEY enumerator = nullptr;
        result = OpenSubKeyByIndex(root, i1, KEY_ENUMERATE_SUB_KEYS, &enumerator);
        if (result != ERROR_SUCCESS)
        {
            if (result != ERROR_NO_MORE_ITEMS)
                outcome = result;
            break;
        }
        for (DWORD i2 = 0; outcome == ERROR_SUCCESS; ++i2)
        {
            HKEY device = nullptr;
            result = OpenSubKeyByIndex(enumerator, i2, KEY_ENUMERATE_SUB_KEYS, &device);
            if (result != ERROR_SUCCESS)
            {
                if (result != ERROR_NO_MORE_ITEMS)
                    outcome = result;
                break;
            }
            for (DWORD i3 = 0; outcome == ERROR_SUCCESS; ++i3)
            {
                HKEY instance = nullptr;
                result = OpenSubKeyByIndex(device, i3, KEY_READ, &instance);
                if (result != ERROR_SUCCESS)
                {
                    if (result != ERROR_NO_MORE_ITEMS)
                        outcome = result;
                    break;
                }
                outcome = VisitInstance(instance, callback, user);
                RegCloseKey(instance);
            }
            RegCloseKey(device);
        }
        RegCloseKey(enumerator);
    }
    RegCloseKey(root);

    if (outcome == ERROR_SUCCESS || outcome == ERROR_CANCELLED)
        return TRUE;
    SetLastError(static_cast<DWORD>(outcome));
    return FALSE;
}

BOOL EnumerateSerialPorts(SerialPortCallback callback, void* user)
{
    if (!callback)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return FALSE;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return EnumerateSerialPortsFromEnumKey(callback, user, "ENUM");
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 4)
        return EnumerateSerialPortsFromDeviceMap(callback, user);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5)
        return EnumerateSerialPortsFromEnumKey(callback, user, "SYSTEM\\CURRENTCONTROLSET\\ENUM");
    SetLastError(ERROR_OLD_WIN_VERSION);
    return FALSE;
}

bool ListSerialPorts(std::vector<SerialPortInfo_t>& ports)
{
    g_listBeingFilled = &ports;
    EnumerateSerialPorts(AppendToList, nullptr); // a failure only shortens the list
    g_listBeingFilled = nullptr;

    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo_t& a, const SerialPortInfo_t& b) {
        return a.portName.CompareNoCase(b.portName) < 0;
    });
    ports.erase(std::unique(ports.begin(), ports.end(),
                            [](const SerialPortInfo_t& a, const SerialPortInfo_t& b) {
                                return a.portName.CompareNoCase(b.portName) == 0;
                            }),
                ports.end());
    return true;
}
