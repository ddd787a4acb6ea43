// The process-wide registries of shared links: one link per COM port and one per
// host and port, handed out as counted handles.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "modbus/CLocalModbus.h"
#include "modbus/CRemoteModbus.h"
#include "modbus/CSharedModbusLocal.h"
#include "modbus/CSharedModbusRemote.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>

// The reply time-out of every exchange on a new link, serial and Modbus/TCP.
const DWORD SHARED_SERIAL_TIMEOUT_MS = 500;
const DWORD SHARED_TCP_TIMEOUT_MS = 5000;

// Guards both registries. Held only briefly: never across a network connect, so a
// thread that holds it is never one that might have to be terminated.
CCriticalSection& SharedLinksLock();
std::map<int, boost::shared_ptr<CLocalModbus>>& SharedSerialLinks();
// Keyed by the host text, ":" and the port in decimal.
std::map<std::string, boost::shared_ptr<CRemoteModbus>>& SharedTcpLinks();

// Throws std::runtime_error "unable to open COM<n>" when the port does not open.
boost::shared_ptr<CSharedModbusLocal> OpenSharedModbusSerial(int comPort);
// A new link reconnects before every exchange with SHARED_TCP_TIMEOUT_MS and binds
// localTcpPort (0: no bind). Throws std::runtime_error
// "unable to open Modbus TCP/IP connection to <host>:<port>" when it cannot connect.
boost::shared_ptr<CSharedModbusRemote> OpenSharedModbusTcp(const char* host, int tcpPort,
                                                           WORD localTcpPort = 0);
