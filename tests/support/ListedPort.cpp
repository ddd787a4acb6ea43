#include "tests/support/ListedPort.h"

#include <windows.h>

namespace testing_support {

namespace {

bool Set(const std::string& key, const char* name, const std::string& text)
{
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool set = ::RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                      static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    ::RegCloseKey(handle);
    return set;
}

} // namespace

ListedPort::ListedPort(int com)
    : m_key("SYSTEM\\CurrentControlSet\\Enum\\DEMO\\SITE\\COM" + std::to_string(com)),
      m_friendly("Demo site (COM" + std::to_string(com) + ")")
{
    const std::string ports = "{4D36E978-E325-11CE-BFC1-08002BE10318}";
    m_made = Set(m_key, "ClassGUID", ports) && Set(m_key, "FriendlyName", m_friendly) &&
             Set(m_key + "\\Device Parameters", "PortName", "COM" + std::to_string(com));
}

ListedPort::~ListedPort()
{
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\DEMO");
}

} // namespace testing_support
