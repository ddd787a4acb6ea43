#include "wizards/framework/CRelayProgContext.h"

#include "documents/CDocumentManager.h"
#include "documents/GenericDevices.h"
#include "shell/ProgramFolders.h"

const char* const DEFAULT_DEVICE_IP = "192.168.1.10";

LastWizardConnection_t& LastWizardConnection()
{
    static LastWizardConnection_t s_last = {1, DEFAULT_DEVICE_IP, 502, 1};
    return s_last;
}

RelayCandidateList_t LoadCandidateDevices()
{
    return LoadGenericDevices(GetProgramFolders().GetDevicesXmlPath(), CDocumentManager::GetApplicationManager(), -1, -1,
                              nullptr, nullptr);
}

CRelayProgContext::CRelayProgContext(const ModbusEndpoint_t* device, const RelayCandidateList_t* candidates)
    : comPort(1), modbusAddress(9), tcpPort(502), isRead(false)
{
    const RelayCandidateList_t list = candidates != nullptr ? *candidates : LoadCandidateDevices();
    for (int i = 0; i < RELAY_CHANNEL_COUNT; ++i)
    {
        channels[i].SetChannelIndex(i);
        channels[i].SetCandidateDevices(list);
    }
    if (device != nullptr)
    {
        comPort = device->network ? -1 : device->port;
        host = device->network ? device->host.c_str() : "";
        if (device->network)
            tcpPort = device->port;
        modbusAddress = device->unitId;
    }
    else
    {
        const LastWizardConnection_t& last = LastWizardConnection();
        comPort = last.comPort;
        host = last.host;
        tcpPort = last.tcpPort;
        modbusAddress = last.modbusAddress;
    }
}

CRelayProgContext::~CRelayProgContext()
{
}

CRelayProgContext::CRelayProgContext(const CRelayProgContext& other)
    : comPort(other.comPort), host(other.host), modbusAddress(other.modbusAddress), tcpPort(other.tcpPort),
      isRead(other.isRead)
{
    for (int i = 0; i < RELAY_CHANNEL_COUNT; ++i)
        channels[i] = other.channels[i];
}

CRelayProgContext& CRelayProgContext::operator=(const CRelayProgContext& other)
{
    Assign(other);
    return *this;
}

void CRelayProgContext::Assign(const CRelayProgContext& other)
{
    if (&other == this)
        return;
    comPort = other.comPort;
    host = other.host;
    modbusAddress = other.modbusAddress;
    tcpPort = other.tcpPort;
    isRead = other.isRead;
    for (int i = 0; i < RELAY_CHANNEL_COUNT; ++i)
        channels[i] = other.channels[i];
}
