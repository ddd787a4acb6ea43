// What the older wizards hand to their programming threads: the connection, whether to
// read or program, and the four Ostrel channels (the Ostrel's own run reads into or
// programs from them). The thread works on a copy, which the page takes back when the
// run has succeeded.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "modbus/ModbusEndpoint.h"
#include "wizards/relay/CRelayModuleChannel.h"

const int RELAY_CHANNEL_COUNT = 4;

// The connection a wizard used last, for contexts made without a device. The wizards'
// connection pages write it.
struct LastWizardConnection_t
{
    int comPort;
    CString host;
    int tcpPort;
    int modbusAddress;
};
LastWizardConnection_t& LastWizardConnection();
// The address a connection starts with when nothing better is known.
extern const char* const DEFAULT_DEVICE_IP;

// The device descriptions of devices.xml in the program's folder (all types and models);
// a load error is thrown on.
RelayCandidateList_t LoadCandidateDevices();

class CRelayProgContext
{
public:
    // Without a candidate list the device descriptions are read from devices.xml; an error
    // of that load is thrown on. Without a device the connection is the last one used.
    CRelayProgContext(const ModbusEndpoint_t* device, const RelayCandidateList_t* candidates);
    virtual ~CRelayProgContext();
    CRelayProgContext(const CRelayProgContext& other);
    CRelayProgContext& operator=(const CRelayProgContext& other);

    virtual void Assign(const CRelayProgContext& other);

    int comPort;        // -1 for TCP/IP
    CString host;
    int modbusAddress;
    int tcpPort;
    bool isRead;
    CRelayModuleChannel channels[RELAY_CHANNEL_COUNT];
};
