#include "modbus/CSharedModbusLocal.h"

#include "framework/CSingleLock.h"
#include "modbus/SharedLinks.h"

CSharedModbusLocal::CSharedModbusLocal(const boost::shared_ptr<CLocalModbus>& link, int comPort)
    : CSharedModbus(link), m_comPort(comPort)
{
}

CSharedModbusLocal::~CSharedModbusLocal()
{
    CSingleLock lock(&SharedLinksLock(), TRUE);
    m_link.reset();
    auto& links = SharedSerialLinks();
    const auto entry = links.find(m_comPort);
    if (entry != links.end() && entry->second.use_count() == 1) {
        entry->second->Close();
        links.erase(entry);
    }
}
