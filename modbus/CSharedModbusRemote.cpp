#include "modbus/CSharedModbusRemote.h"

#include "framework/CSingleLock.h"
#include "modbus/SharedLinks.h"

CSharedModbusRemote::CSharedModbusRemote(const boost::shared_ptr<CRemoteModbus>& link,
                                         const std::string& key)
    : CSharedModbus(link), m_key(key)
{
}

CSharedModbusRemote::~CSharedModbusRemote()
{
    CSingleLock lock(&SharedLinksLock(), TRUE);
    m_link.reset();
    auto& links = SharedTcpLinks();
    const auto entry = links.find(m_key);
    if (entry != links.end() && entry->second.use_count() == 1) {
        entry->second->Close();
        links.erase(entry);
    }
}
