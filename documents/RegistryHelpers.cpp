#include "documents/RegistryHelpers.h"

#include <stdexcept>

namespace {

// Reads a value of the expected type into the buffer; false on any failure.
bool QueryValue(const std::string& subkey, const std::string& valueName, DWORD expectedType,
                BYTE* buffer, DWORD& size)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = REG_NONE;
    const LONG result = RegQueryValueExA(key, valueName.c_str(), nullptr, &type, buffer, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == expectedType;
}

void WriteValue(const std::string& subkey, const std::string& valueName, const char* className,
                DWORD type, const BYTE* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, const_cast<char*>(className),
                        REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("unable to open/create registry path " + subkey);
    const LONG result = RegSetValueExA(key, valueName.c_str(), 0, type, data, size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("unable to write registry value " + subkey + "\\" + valueName);
}

}  // namespace

std::string ReadRegistryString(const std::string& subkey, const std::string& valueName,
                               const std::string& defaultText)
{
    char buffer[1024];
    DWORD size = sizeof(buffer);
    if (!QueryValue(subkey, valueName, REG_SZ, reinterpret_cast<BYTE*>(buffer), size))
        return defaultText;
    // A stored string need not carry its terminating zero.
    std::string text(buffer, size);
    const size_t end = text.find('\0');
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

DWORD ReadRegistryDword(const std::string& subkey, const std::string& valueName,
                        DWORD defaultValue)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!QueryValue(subkey, valueName, REG_DWORD, reinterpret_cast<BYTE*>(&value), size) ||
        size != sizeof(value))
        return defaultValue;
    return value;
}

void WriteRegistryString(const std::string& subkey, const std::string& valueName,
                         const std::string& text)
{
    WriteValue(subkey, valueName, "REG_SZ", REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
               static_cast<DWORD>(text.size() + 1));
}

void WriteRegistryDword(const std::string& subkey, const std::string& valueName, DWORD value)
{
    WriteValue(subkey, valueName, "REG_DWORD", REG_DWORD, reinterpret_cast<const BYTE*>(&value),
               sizeof(value));
}
