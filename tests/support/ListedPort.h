// A COM port entered in the registry as a serial port device with a friendly name, as
// tools/demo enters the demo site's port, so that the programs' port lists show it;
// removed again at the end.
#pragma once
#include <string>

namespace testing_support {

class ListedPort
{
public:
    // Listed as "Demo site (COM<com>)".
    explicit ListedPort(int com);
    ~ListedPort();
    ListedPort(const ListedPort&) = delete;
    ListedPort& operator=(const ListedPort&) = delete;

    bool Made() const { return m_made; }
    const std::string& FriendlyName() const { return m_friendly; }

private:
    std::string m_key;
    std::string m_friendly;
    bool m_made = false;
};

} // namespace testing_support
