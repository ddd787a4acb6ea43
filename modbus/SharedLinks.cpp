#include "modbus/SharedLinks.h"

#include "framework/CSingleLock.h"

#include <stdexcept>

namespace {

std::string TcpLinkKey(const char* host, WORD port)
{
    return std::string(host != nullptr ? host : "") + ":" + std::to_string(port);
}

} // namespace

CCriticalSection& SharedLinksLock()
{
    static CCriticalSection lock;
    return lock;
}

std::map<int, boost::shared_ptr<CLocalModbus>>& SharedSerialLinks()
{
    static std::map<int, boost::shared_ptr<CLocalModbus>> links;
    return links;
}

std::map<std::string, boost::shared_ptr<CRemoteModbus>>& SharedTcpLinks()
{
    static std::map<std::string, boost::shared_ptr<CRemoteModbus>> links;
    return links;
}

boost::shared_ptr<CSharedModbusLocal> OpenSharedModbusSerial(int comPort)
{
    CSingleLock lock(&SharedLinksLock(), TRUE);
    auto& links = SharedSerialLinks();
    const auto entry = links.find(comPort);
    if (entry != links.end())
        return boost::shared_ptr<CSharedModbusLocal>(new CSharedModbusLocal(entry->second, comPort));

    boost::shared_ptr<CLocalModbus> link(new CLocalModbus(nullptr));
    links[comPort] = link;
    boost::shared_ptr<CSharedModbusLocal> handle(new CSharedModbusLocal(link, comPort));
    link->SetMode(CLocalModbus::MODE_RTU);
    link->SetComPort(comPort);
    link->SetDataBits(8);
    link->SetBaudRate(9600);
    link->SetParity(0);
    link->SetStopBits(2);
    link->SetFlowControl(0);
    link->SetTimeout(SHARED_SERIAL_TIMEOUT_MS);
    if (!link->Open(comPort, 9600, 0)) {
        // The handle was the only user: dropping it closes the port and the entry.
        link.reset();
        handle.reset();
        throw std::runtime_error("unable to open COM" + std::to_string(comPort));
    }
    return handle;
}

boost::shared_ptr<CSharedModbusRemote> OpenSharedModbusTcp(const char* host, int tcpPort,
                                                           WORD localTcpPort)
{
    const WORD port = static_cast<WORD>(tcpPort);
    const std::string key = TcpLinkKey(host, port);
    {
        CSingleLock lock(&SharedLinksLock(), TRUE);
        const auto entry = SharedTcpLinks().find(key);
        if (entry != SharedTcpLinks().end())
            return boost::shared_ptr<CSharedModbusRemote>(new CSharedModbusRemote(entry->second, key));
    }

    // Connect outside the registry lock: an unreachable host must not hold up the
    // users of every other link.
    boost::shared_ptr<CRemoteModbus> link(new CRemoteModbus());
    link->SetReconnectEachTransaction(TRUE);
    link->SetTimeout(static_cast<int>(SHARED_TCP_TIMEOUT_MS));
    if (!link->Connect(host, port, 0, localTcpPort))
        throw std::runtime_error("unable to open Modbus TCP/IP connection to " + key);

    CSingleLock lock(&SharedLinksLock(), TRUE);
    auto& links = SharedTcpLinks();
    const auto entry = links.find(key);
    if (entry != links.end()) {
        // Another user registered the key while this one connected: share that link.
        // Ours is closed by its destructor, after the lock is released.
        return boost::shared_ptr<CSharedModbusRemote>(new CSharedModbusRemote(entry->second, key));
    }
    links[key] = link;
    return boost::shared_ptr<CSharedModbusRemote>(new CSharedModbusRemote(link, key));
}
