#include "modbus/ModbusEndpoint.h"

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
