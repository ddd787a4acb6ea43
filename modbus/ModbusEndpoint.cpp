#include "modbus/ModbusEndpoint.h"

#include <atomic>

namespace
{
std::atomic<long> g_liveEndpoints{0};
}

ModbusEndpoint_t::LiveCounter::LiveCounter()
{
    ++g_liveEndpoints;
}

ModbusEndpoint_t::LiveCounter::LiveCounter(const LiveCounter&)
{
    ++g_liveEndpoints;
}

ModbusEndpoint_t::LiveCounter::~LiveCounter()
{
    --g_liveEndpoints;
}

long ModbusEndpoint_t::LiveCount()
{
    return g_liveEndpoints.load();
}

ModbusEndpoint_t::ModbusEndpoint_t() = default;

ModbusEndpoint_t::~ModbusEndpoint_t() = default;

bool operator==(const ModbusEndpoint_t& left, const ModbusEndpoint_t& right)
{
    if (left.network != right.network || left.port != right.port || left.unitId != right.unitId)
        return false;
    // A serial endpoint's host means nothing.
    return !left.network || left.host == right.host;
}

bool operator!=(const ModbusEndpoint_t& left, const ModbusEndpoint_t& right)
{
    return !(left == right);
}
