// Where a device is reached and, when a search found it, what it said about itself.
// A plain record: passed by shared pointer, or across a posted message as a heap copy
// that the receiver deletes.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

struct ModbusEndpoint_t
{
    ModbusEndpoint_t();
    ~ModbusEndpoint_t();

    std::string vendor;       // identification object 0; empty when built from a connection
    std::string productCode;  // identification object 1
    std::string revision;     // identification object 2
    bool network = false;     // true: Modbus/TCP; false: serial line
    std::string host;         // host name or dotted address when network, else empty
    int port = 0;             // TCP port when network, COM port number when serial
    int unitId = 0;
    std::string deviceText;   // fourth line of a network search answer, else empty

    // How many endpoints exist: endpoints travel between threads on the heap, and the
    // count shows that each one handed over is freed once.
    static long LiveCount();

private:
    struct LiveCounter
    {
        LiveCounter();
        LiveCounter(const LiveCounter&);
        LiveCounter& operator=(const LiveCounter&) = default;
        ~LiveCounter();
    };
    LiveCounter m_liveCounter;
};

// Same place: network flag, port and unit id equal, and for network endpoints the host
// text equal character for character. The identity texts take no part.
bool operator==(const ModbusEndpoint_t& left, const ModbusEndpoint_t& right);
bool operator!=(const ModbusEndpoint_t& left, const ModbusEndpoint_t& right);
