// When two endpoints denote the same place.
#include <gtest/gtest.h>

#include "modbus/ModbusEndpoint.h"

namespace {

ModbusEndpoint_t Serial(int com, int unitId)
{
    ModbusEndpoint_t endpoint;
    endpoint.port = com;
    endpoint.unitId = unitId;
    return endpoint;
}

ModbusEndpoint_t Network(const char* host, int port, int unitId)
{
    ModbusEndpoint_t endpoint;
    endpoint.network = true;
    endpoint.host = host;
    endpoint.port = port;
    endpoint.unitId = unitId;
    return endpoint;
}

TEST(ModbusEndpoint, NewRecordHasEmptyTexts)
{
    const ModbusEndpoint_t endpoint;
    EXPECT_TRUE(endpoint.vendor.empty());
    EXPECT_TRUE(endpoint.productCode.empty());
    EXPECT_TRUE(endpoint.revision.empty());
    EXPECT_TRUE(endpoint.host.empty());
    EXPECT_TRUE(endpoint.deviceText.empty());
}

TEST(ModbusEndpoint, SerialPlacesIgnoreIdentityTextsAndHost)
{
    ModbusEndpoint_t found = Serial(3, 1);
    found.vendor = "Quorvant Corp.";
    found.productCode = "QV-1000";
    found.host = "left over";
    EXPECT_TRUE(found == Serial(3, 1));
    EXPECT_TRUE(found != Serial(3, 2));
    EXPECT_TRUE(found != Serial(4, 1));
}

TEST(ModbusEndpoint, NetworkPlacesCompareHostsExactly)
{
    EXPECT_TRUE(Network("plant.local", 502, 1) == Network("plant.local", 502, 1));
    EXPECT_TRUE(Network("plant.local", 502, 1) != Network("Plant.local", 502, 1));
    EXPECT_TRUE(Network("plant.local", 502, 1) != Network("plant.local", 503, 1));
    ModbusEndpoint_t withText = Network("plant.local", 502, 1);
    withText.deviceText = "Barn";
    EXPECT_TRUE(withText == Network("plant.local", 502, 1));
}

TEST(ModbusEndpoint, SerialAndNetworkAreNeverTheSame)
{
    EXPECT_TRUE(Serial(502, 1) != Network("", 502, 1));
    EXPECT_TRUE(Network("", 502, 1) != Serial(502, 1));
}

} // namespace
